#pragma once

#include <cstddef>
#include <string>

namespace qlx::bench {

// A well-formed export of about `size` bytes: procedures with descriptions, reports with every
// kind of report node, macros and screens. A procedure is some 20 KB of export, so 100 MB
// hold about 5 000 documents.
std::string generate_export(std::size_t size);

}  // namespace qlx::bench
