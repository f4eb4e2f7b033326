#pragma once
// The manager started in the test process as its program starts it: the catalogue,
// the preferences, then a configuration file written for the test.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <memory>

#include "fixture.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "manager/startup.h"
#include "manager/ui/manager.h"

namespace mvnz::test {

// The manager over s, started on the configuration at path; its windows stay hidden.
inline std::unique_ptr<manager::ui::Manager> StartedManager(manager::Session& s, const QString& path) {
  s.VersionText = manager::VersionText();
  auto m = std::make_unique<manager::ui::Manager>(s);
  manager::StartupHooks hooks;
  hooks.pictures = &m->images();
  manager::InitManager(s, {path}, hooks);
  return m;
}

// The same on config, written to path first.
inline std::unique_ptr<manager::ui::Manager> StartedManager(manager::Session& s, const QString& path,
                                                            const QByteArray& config) {
  PutFile(path, config);
  return StartedManager(s, path);
}

}  // namespace mvnz::test
