#pragma once

#include <QString>

#include <expected>
#include <string>

#include "model/progress.h"

namespace qlx::shell {

// The bytes of an export read whole, for commands that take an export without opening its
// windows (Compare Exports, Publish as Web Site); or why they cannot be read, for people: also
// when the file is not an export. An empty reason means `progress` cancelled the reading.
std::expected<std::string, QString> read_export_bytes(const QString& path,
                                                      const conversion::Progress& progress = {});

}  // namespace qlx::shell
