#pragma once

#include <cstddef>
#include <string>

namespace qlx::bench {

// A well-formed export of about `size` bytes: procedures with descriptions, reports with every
// kind of report node, macros and screens. A procedure is some 20 KB of export, so 100 MB
// hold about 5 000 documents. With `procedures` given, the export has that many procedures,
// each made larger (more fields, picture and macro lines) to come to about `size` in all.
// With `changed_every` n, every n-th procedure has a description line and some comment lines
// of its macro worded differently: a later version of the same export.
std::string generate_export(std::size_t size, int procedures = 0, int changed_every = 0);

}  // namespace qlx::bench
