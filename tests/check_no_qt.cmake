# Fails when a file of the standard-library core includes a Qt header.
file(GLOB_RECURSE core_files
     ${ROOT}/conversion/*.h ${ROOT}/conversion/*.cpp
     ${ROOT}/renderers/*.h ${ROOT}/renderers/*.cpp
     ${ROOT}/richtext/*.h ${ROOT}/richtext/*.cpp
     ${ROOT}/cli/*.h ${ROOT}/cli/*.cpp
     ${ROOT}/comparison/*.h ${ROOT}/comparison/*.cpp)
set(offenders "")
foreach(file IN LISTS core_files)
    file(STRINGS ${file} qt_includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt)")
    if(qt_includes)
        list(APPEND offenders "${file}: ${qt_includes}")
    endif()
endforeach()
if(offenders)
    list(JOIN offenders "\n" message)
    message(FATAL_ERROR "Qt in the core:\n${message}")
endif()
list(LENGTH core_files count)
if(count LESS 50)
    message(FATAL_ERROR "only ${count} core files found below ${ROOT}: is ROOT right?")
endif()
message(STATUS "${count} core files, none includes Qt")
