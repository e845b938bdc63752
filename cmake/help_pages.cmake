# The viewer's help pages are its manuals: each docs/man/*.1 is turned into an HTML fragment
# by mandoc at build time and bundled in the program (":/help/qlx-viewer.html", ...), so that
# the help and the manuals cannot tell different stories. Debian: the mandoc package.
find_program(QLX_MANDOC mandoc REQUIRED)
set(qlx_help_pages)
foreach(page qlx-viewer qlx-convert)
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page}.1)
    set(html ${CMAKE_BINARY_DIR}/help/${page}.html)
    add_custom_command(OUTPUT ${html}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/help
                       COMMAND ${QLX_MANDOC} -Thtml -Ofragment ${source} > ${html}
                       DEPENDS ${source} VERBATIM)
    list(APPEND qlx_help_pages ${html})
endforeach()
qt_add_resources(qlx_gui help_pages PREFIX /help BASE ${CMAKE_BINARY_DIR}/help
                 FILES ${qlx_help_pages})
