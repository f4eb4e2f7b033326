// Prints the configuration reference; docs/configuration.md is this program's output.
#include <cstdio>

#include "reference.h"

int main() {
  const QByteArray text = mvnz::docs::ConfigurationReference().toUtf8();
  return std::fwrite(text.constData(), 1, text.size(), stdout) == size_t(text.size()) ? 0 : 1;
}
