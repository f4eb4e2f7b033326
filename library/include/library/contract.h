#pragma once
// The contract between the hosts (daemon, configuration manager) and the plug-ins.
//
// Every plug-in library Plugins/<Name>.so offers one class, Setup, created through
// object activation by the ProgID "<Name>Zuri.Setup". The daemon offers the class
// MVNdcom ("mvnd.MVNdcom") through which plug-ins log. Members never throw: a member
// that can fail returns a run-time error number (0 = success, 9 = subscript out of
// range).
#include <QString>
#include <QStringList>

#include "platform/activation.h"

namespace mvnz {

// One result variable slot.
struct VarType {
  bool Use = false;
  QString Value;
};

// Description of one module (command) offered by a plug-in.
struct ModType {
  QString name;
  QString IconLarge;
  QString IconSmall;
  QString Cat;
  QString CatIconLarge;
  QString CatIconSmall;
};

constexpr int kErrSubscript = 9;

class Setup : public Object {
 public:
  static constexpr const char* kInterfaceId = "mvnz.Setup/1";

  virtual void Init() noexcept = 0;
  virtual void SetAutoLog(bool vNewValue) noexcept = 0;
  virtual QString Info() const noexcept = 0;
  virtual QString Author() const noexcept = 0;
  virtual bool Error() const noexcept = 0;
  virtual QString Version() const noexcept = 0;
  virtual short ModuleCount() const noexcept = 0;
  // 0 and *out filled, or kErrSubscript.
  virtual int ModuleInfo(short index, ModType* out) const noexcept = 0;
  virtual short DataCount() const noexcept = 0;
  virtual int Data(short index, QString* out) const noexcept = 0;
  virtual int LocalVar(short index, VarType* out) const noexcept = 0;
  virtual int GlobalVar(short index, VarType* out) const noexcept = 0;
  // Value holds constant n at index n (1..15); fewer than 16 entries gives kErrSubscript.
  virtual int SetLocalConstants(const QStringList& value) noexcept = 0;
  virtual int SetGlobalConstants(const QStringList& value) noexcept = 0;
  // Data holds the parameters at indices 1..30 (index 0 not read).
  virtual int Props(QString& module, const QStringList& data) noexcept = 0;
  virtual int RunP(QString& module, const QStringList& data) noexcept = 0;
};

// The daemon's log class.
class MVNdcom : public Object {
 public:
  static constexpr const char* kInterfaceId = "mvnz.MVNdcom/1";
  static constexpr const char* kProgId = "mvnd.MVNdcom";
  // Level 0..3, message (lines separated by CR LF), caller's time text.
  // True when the lines were handed to the daemon's log.
  virtual bool SetMessage(short iType, const QString& iText,
                          const QString& iTimestamp) noexcept = 0;
};

}  // namespace mvnz
