// The plug-in catalogue over fixture plug-in folders and over the fourteen real
// plug-ins: rows, categories, picture indices and the boxes of failing plug-ins.
#include <gtest/gtest.h>

#include "fixture.h"
#include "manager/catalog.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

// Image lists that record what was added; a file named "bad.ico" cannot be loaded.
class RecordingPictures : public PictureSink {
 public:
  int count() const override { return kDesignPictures + static_cast<int>(added.size()); }
  bool add(const QString& large, const QString& small, QString* error) override {
    if (large.endsWith("bad.ico") || small.endsWith("bad.ico")) {
      *error = "Invalid picture";
      return false;
    }
    added << QStringList{QFileInfo(large).fileName(), QFileInfo(small).fileName()};
    return true;
  }
  QList<QStringList> added;
};

class Progress : public CatalogProgress {
 public:
  void status(const QString& text) override { texts << text; }
  void picture(const QString& file) override { pictures << QFileInfo(file).fileName(); }
  void pluginsLoaded() override { pictures << "<loaded>"; }
  QStringList texts, pictures;
};

struct Loaded {
  Catalog catalog;
  RecordingPictures pictures;
  Progress progress;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
};

void Load(Loaded& l, const QString& folder, const QString& icons = {}) {
  prompts::install(l.boxes);
  activation::setPluginFolder(folder);
  l.catalog.LoadPlugins(icons.isEmpty() ? makeDir("Icons") : icons, l.pictures, &l.progress);
  prompts::install(nullptr);
}

QStringList Names(const Catalog& c) {
  QStringList out;
  for (int i = 1; i < c.NextModuleRow(); ++i) out << c.rows()[i].Name;
  return out;
}

QStringList Categories(const Catalog& c) {
  QStringList out;
  for (int i = 1; i <= c.CategoryCount(); ++i) out << c.categories()[i].Name;
  return out;
}

const QStringList kBuiltIns = {"ErrorAction", "EndDaemon",  "StopDaemon",
                               "Comment",     "LoadConfig", "Reschedule"};

}  // namespace

TEST(Catalog, EmptyFolderHoldsOnlyTheBuiltInCommands) {
  Loaded l;
  Load(l, PluginFolder({}));
  EXPECT_EQ(l.catalog.NextModuleRow(), 7);
  EXPECT_EQ(l.catalog.CategoryCount(), 1);
  EXPECT_EQ(Names(l.catalog), kBuiltIns);
  EXPECT_EQ(Categories(l.catalog), QStringList{"Workflow"});
  const short icons[] = {3, 13, 14, 15, 17, 18};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(l.catalog.rows()[i + 1].IconIndex, icons[i]);
  EXPECT_EQ(PaletteKey(l.catalog, 1), "C1_workflow1");
  EXPECT_EQ(PaletteKey(l.catalog, 6), "C6_workflow6");
  EXPECT_TRUE(l.boxes->entries.isEmpty());
  EXPECT_TRUE(l.pictures.added.isEmpty());
  // The splash ends on its closing picture.
  EXPECT_EQ(l.progress.pictures, QStringList{"<loaded>"});
}

// Duplicate: two modules in "File" and "file"; Erase: a file that is no library;
// HostFacts: its second module fails; JournalNote: its module's picture cannot be
// loaded; Sleep: a module of a category already known; Unknown: not a known name.
TEST(Catalog, FailingPluginsAreReportedOnceAndSkippedWithoutShiftingTheOthers) {
  FakeSetup::Behaviour duplicate, hostFacts, journal, sleep;
  duplicate.modules = {Module("Copy A", "File"), Module("Copy B", "file")};
  hostFacts.modules = {Module("Facts", "Tools"), Module("Never", "Tools"), Module("Seen", "Tools")};
  hostFacts.failModuleAt = 2;
  journal.modules = {Module("Note", "Network")};
  journal.modules[0].IconLarge = "bad.ico";
  sleep.modules = {Module("Nap", "TOOLS")};
  RegisteredFake a("Duplicate", &duplicate), b("HostFacts", &hostFacts), c("JournalNote", &journal),
      d("Sleep", &sleep);
  const QString icons = makeDir("Icons");
  for (const char* f : {"bad.ico", "is_Copy A.ico", "il_Nap.ico"}) {
    QFile file(QDir(icons).filePath(f));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  Loaded l;
  Load(l, PluginFolder({"Duplicate", "Erase", "HostFacts", "JournalNote", "Sleep", "Unknown"}), icons);

  ASSERT_EQ(l.boxes->entries.size(), 3);
  const struct {
    const char* start;
  } expected[] = {{"Error while loading plugin: [Erase] ActiveX component can't create object"},
                  {"Error while loading plugin: [HostFacts] Subscript out of range"},
                  {"Error while loading plugin: [JournalNote] Invalid picture"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(l.boxes->entries[i].text.startsWith(expected[i].start)) << l.boxes->entries[i].text.toStdString();
    EXPECT_EQ(l.boxes->entries[i].title, "Error Loading Plugin");
    EXPECT_EQ(l.boxes->entries[i].icon, prompts::Icon::Critical);
  }

  EXPECT_EQ(Names(l.catalog), (kBuiltIns + QStringList{"Copy A", "Copy B", "Facts", "Nap"}));
  EXPECT_EQ(Categories(l.catalog), (QStringList{"Workflow", "File", "Tools", "Network"}));
  // File takes 20, its modules 21 and 22; Tools 23, Facts 24; Network 25 (JournalNote's
  // category before its module's picture failed); Nap 26 under Tools.
  const struct {
    int row;
    short icon;
    const char* cat;
    const char* progId;
  } rows[] = {{7, 21, "File", "DuplicateZuri.Setup"}, {8, 22, "file", "DuplicateZuri.Setup"},
              {9, 24, "Tools", "HostFactsZuri.Setup"}, {10, 26, "TOOLS", "SleepZuri.Setup"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.row);
    EXPECT_EQ(l.catalog.rows()[r.row].IconIndex, r.icon);
    EXPECT_EQ(l.catalog.rows()[r.row].Cat, r.cat);
    EXPECT_EQ(l.catalog.rows()[r.row].ProgID, r.progId);
  }
  EXPECT_EQ(l.catalog.categories()[2].IconIndex, 20);
  EXPECT_EQ(l.catalog.categories()[3].IconIndex, 23);
  EXPECT_EQ(l.catalog.categories()[4].IconIndex, 25);
  EXPECT_EQ(l.pictures.count(), 26);
  // Existing icon files are used, missing ones stand in as the default picture ("").
  EXPECT_EQ(l.pictures.added[1], (QStringList{"", "is_Copy A.ico"}));
  EXPECT_EQ(l.pictures.added.last(), (QStringList{"il_Nap.ico", ""}));
  EXPECT_EQ(l.progress.pictures, (QStringList{"is_Copy A.ico", "<loaded>"}));
  EXPECT_EQ(PaletteKey(l.catalog, 7), "C7_Copy A");
  // Lookups by name ignore case and find the first row.
  EXPECT_EQ(l.catalog.find("copy b"), 8);
  EXPECT_EQ(l.catalog.find("RESCHEDULE"), 6);
  EXPECT_EQ(l.catalog.find("Never"), 0);
  EXPECT_TRUE(l.progress.texts.contains("Loading Modules From Plugin [Sleep]....."));
  EXPECT_TRUE(l.progress.texts.contains("Loading Module TOOLS:Nap"));
  EXPECT_EQ(l.progress.texts.first(), "Loading Plugins.....");
}

TEST(Catalog, TheFourteenPluginsOfThisProject) {
  Loaded l;
  Load(l, QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
  EXPECT_TRUE(l.boxes->entries.isEmpty()) << l.boxes->entries.value(0).text.toStdString();
  EXPECT_EQ(Names(l.catalog),
            (kBuiltIns + QStringList{"AssignValue", "BrowseLink", "DropFolder", "Duplicate",
                                    "Erase", "HostFacts", "JournalNote", "MakeFolder",
                                    "PowerOffHost", "RebootHost", "Relocate", "Scour",
                                    "SignOutHost", "Sleep"}));
  EXPECT_EQ(Categories(l.catalog), (QStringList{"Workflow", "Tools", "Network", "File", "Windows"}));
  EXPECT_EQ(l.catalog.rows()[17].ProgID, "RelocateZuri.Setup");
  EXPECT_EQ(l.pictures.count(), kDesignPictures + 4 + 14);
}
