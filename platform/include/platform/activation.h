#pragma once
// Object activation by ProgID, in place of late-bound COM creation.
//
// A process may register in-process classes by ProgID. Any other ProgID of the form
// "<Name>Zuri.Setup" (compared without regard to case) resolves to the plug-in
// library Plugins/<Name>.so beside the program (or the folder set by
// setPluginFolder), loaded once with dlopen and never unloaded. A plug-in library
// exports one factory:
//
//   extern "C" mvnz::Object* mvnzCreateObject(int abiVersion) noexcept;
//
// It returns nullptr when it does not support abiVersion. No C++ exception crosses
// a library boundary: the factory and every interface member catch their own.
#include <QString>
#include <functional>
#include <memory>

namespace mvnz {

constexpr int kObjectAbiVersion = 1;

// Base of every activatable object. Interfaces derive from it; a caller asks for the
// interface it needs by name (no RTTI across library boundaries).
class Object {
 public:
  virtual ~Object() = default;
  // Returns this object as the interface named iid, or nullptr.
  virtual void* queryInterface(const char* iid) noexcept = 0;
};

template <class I>
I* interfaceCast(Object* o) {
  return o ? static_cast<I*>(o->queryInterface(I::kInterfaceId)) : nullptr;
}

// Why an object could not be created: number 429 and the run-time's text
// "ActiveX component can't create object", the ProgID as source, and the cause.
struct ActivationError {
  int number = 0;
  QString source;
  QString description;
  QString detail;  // e.g. the loader's message or "factory refused ABI version 1"
};

namespace activation {

using Factory = std::function<std::unique_ptr<Object>()>;

// Registers (or replaces) an in-process class; ProgIDs compare without regard to case.
void registerClass(const QString& progId, Factory factory);
void unregisterClass(const QString& progId);
// Creates an object; nullptr with err filled when it cannot be created.
std::unique_ptr<Object> create(const QString& progId, ActivationError* err = nullptr);
// The ProgID of a plug-in's Setup class: the plug-in's file base name + "Zuri.Setup".
QString pluginProgId(const QString& pluginName);
// Overrides the plug-in folder (default: paths::pluginDir()).
void setPluginFolder(const QString& folder);
QString pluginFolder();
// Why the plug-in library at path, found in folder, must not be loaded, or empty when
// it may be: the library and every folder from it up to the program's folder (for a
// library outside it: up to the folder that holds the program's folder, as the
// installed tree's lib/mervanezuri/Plugins; else up to folder; reached through a link
// to elsewhere: up to "/")
// must be owned by root or this process's user and writable by no group and no other
// user. create() refuses such a library.
QString unsafePluginReason(const QString& path, const QString& folder);

}  // namespace activation
}  // namespace mvnz

#define MVNZ_EXPORT extern "C" __attribute__((visibility("default")))
