# Writes THIRD-PARTY.txt into the installed release (run by the install rules of
# cmake/package.cmake, last): one entry for each folder that holds a VERSION.txt, made from that
# file's first three lines (name and version, "Licence: ...", "In: ...").
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(GLOB versions RELATIVE "${root}" "${root}/*/VERSION.txt")
list(SORT versions CASE INSENSITIVE)
set(title "Tonschleuder ${TONSCHLEUDER_VERSION}: software by others in this package")
string(LENGTH "${title}" length)
string(REPEAT "=" ${length} rule)
set(text "${title}
${rule}

Tonschleuder itself is free software by the Tonschleuder authors under the MIT licence
(LICENSE.txt). This package also carries or links the software below, each under its own
licence. Its folder holds the licence texts, VERSION.txt (the version, where it comes from
and how it was built) and, where we build it, source/ with the exact source it was built from.
")
foreach(version IN LISTS versions)
    get_filename_component(folder "${version}" DIRECTORY)
    file(STRINGS "${root}/${version}" lines LIMIT_COUNT 3)
    list(TRANSFORM lines REPLACE "\r" "")
    list(LENGTH lines count)
    if(count LESS 3)
        message(FATAL_ERROR "THIRD-PARTY: ${version} lacks its three first lines")
    endif()
    list(GET lines 0 name)
    list(GET lines 1 licence)
    list(GET lines 2 in)
    if(NOT licence MATCHES "^Licence: " OR NOT in MATCHES "^In: ")
        message(FATAL_ERROR "THIRD-PARTY: ${version} does not begin with name, Licence: and In:")
    endif()
    string(REGEX REPLACE "^Licence: " "" licence "${licence}")
    string(REGEX REPLACE "^In: " "" in "${in}")
    string(APPEND text "\n${name}\n  Licence: ${licence}\n  Folder:  ${folder}\\\n  In:      ${in}\n")
endforeach()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${root}/THIRD-PARTY.txt" "${text}")
