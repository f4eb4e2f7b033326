#include "manager/ui/loadreport.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace mvnz::manager::ui {

QString LoadReportSentence(const LoadReport& report) {
  const qsizetype n = report.passedOver.size();
  return QStringLiteral("%1 %2 of [%3] could not be taken as written.\nA save will not write %4 back:")
      .arg(n)
      .arg(n == 1 ? QStringLiteral("line") : QStringLiteral("lines"), report.path,
           n == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

LoadReportBox::LoadReportBox(const LoadReport& report, QWidget* parent)
    : QDialog(parent), lines_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("frmLoadReport"));
  setWindowTitle(QStringLiteral("Configuration Lines Passed Over"));
  auto* icon = new QLabel(this);
  const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(side, side));
  auto* sentence = new QLabel(LoadReportSentence(report), this);
  sentence->setObjectName(QStringLiteral("lblSentence"));
  sentence->setWordWrap(true);
  QStringList texts;
  for (const jobfile::Fault& f : report.passedOver) texts << jobfile::FaultText(f);
  lines_->setObjectName(QStringLiteral("txtLines"));
  lines_->setReadOnly(true);
  lines_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
  lines_->setPlainText(texts.join(QLatin1Char('\n')));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(sentence, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(lines_, 1);
  layout->addWidget(buttons);
  // As wide as the longest line up to 140 characters, as tall as the list up to 16 lines;
  // longer lists scroll.
  const QFontMetrics fm = lines_->fontMetrics();
  int widest = 0;
  for (const QString& t : texts) widest = std::max(widest, fm.horizontalAdvance(t));
  const int chars = fm.averageCharWidth();
  lines_->setMinimumSize(std::clamp(widest + 2 * chars, 60 * chars, 140 * chars),
                         fm.lineSpacing() * int(std::min<qsizetype>(texts.size(), 16) + 1));
  lines_->setFocus();
}

}  // namespace mvnz::manager::ui
