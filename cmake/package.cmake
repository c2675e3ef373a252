# The release zip (cmake --build --preset windows --target package): tonschleuder.exe and
# lame.exe, our licence, the two read-mes, the sample template and genre list in examples/
# (inactive until the user copies them beside the program), and what the licences of the
# software by others ask of a binary release: THIRD-PARTY.txt, naming each program or library
# that the zip carries or links, its licence and its folder, and one folder for each, laid out
# as LAME's: VERSION.txt (its first three lines are its entry in THIRD-PARTY.txt: name and
# version, "Licence:", "In:"; then where it comes from and how it was built), the licence texts,
# and source/ with the exact source wherever we build it from source.
if(NOT TARGET tonschleuder)
    return()
endif()

set(TONSCHLEUDER_EXAMPLES "${CMAKE_SOURCE_DIR}/docs/examples")
set(TONSCHLEUDER_NOTICES "${CMAKE_BINARY_DIR}/notices")
file(REMOVE_RECURSE "${TONSCHLEUDER_NOTICES}")

# Writes TEXT to FILE with Windows line ends, so that Notepad shows it as meant.
function(tonschleuder_write_crlf file text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${file}" "${text}")
endfunction()

function(tonschleuder_copy_crlf from to)
    file(READ "${from}" text)
    tonschleuder_write_crlf("${to}" "${text}")
endfunction()

# Sets VAR to the Debian package that installed FILE, and VAR_VERSION, VAR_SOURCE to its version
# and its source package with that one's version.
function(tonschleuder_debian_owner file var)
    get_filename_component(file "${file}" REALPATH)
    execute_process(COMMAND dpkg-query -S "${file}" OUTPUT_VARIABLE owner RESULT_VARIABLE failed
                    ERROR_QUIET)
    if(failed)
        message(FATAL_ERROR "Release notices: no Debian package owns ${file}")
    endif()
    string(REGEX REPLACE ":.*" "" owner "${owner}")
    execute_process(COMMAND dpkg-query -W "-f=\${Version}\n\${source:Package} \${source:Version}"
                            "${owner}"
                    OUTPUT_VARIABLE fields)
    string(REPLACE "\n" ";" fields "${fields}")
    list(GET fields 0 version)
    list(GET fields 1 source)
    set(${var} "${owner}" PARENT_SCOPE)
    set(${var}_VERSION "${version}" PARENT_SCOPE)
    set(${var}_SOURCE "${source}" PARENT_SCOPE)
endfunction()

# The folder of a library we link as Debian 12 builds it: its Debian copyright file as
# COPYRIGHT.txt, each licence text that file refers to, and VERSION.txt.
#   FOLDER NAME  the folder and the name in THIRD-PARTY.txt
#   LICENCE      the licence, in words
#   IN           the files of the zip that contain it
#   FILE         a file of the library, whose package is the one named
#   WHAT         a sentence on what it is
function(tonschleuder_debian_notice folder name licence in file what)
    tonschleuder_debian_owner("${file}" package)
    set(dir "${TONSCHLEUDER_NOTICES}/${folder}")
    set(copyright "/usr/share/doc/${package}/copyright")
    if(NOT EXISTS "${copyright}")
        message(FATAL_ERROR "Release notices: ${copyright} is missing")
    endif()
    tonschleuder_copy_crlf("${copyright}" "${dir}/COPYRIGHT.txt")
    file(READ "${copyright}" text)
    string(REGEX MATCHALL "/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9]" referred "${text}")
    list(REMOVE_DUPLICATES referred)
    list(SORT referred ORDER DESCENDING)
    set(copied)
    foreach(path IN LISTS referred)
        get_filename_component(licence_name "${path}" NAME)
        # "GPL" is a link to "GPL-3": one copy.
        get_filename_component(real "${path}" REALPATH)
        if(EXISTS "${path}" AND NOT real IN_LIST copied)
            list(APPEND copied "${real}")
            tonschleuder_copy_crlf("${path}" "${dir}/${licence_name}.txt")
        endif()
    endforeach()
    string(REGEX MATCH "^[0-9][0-9.]*[0-9]" upstream "${package_VERSION}")
    tonschleuder_write_crlf("${dir}/VERSION.txt" "${name} ${upstream}
Licence: ${licence}: COPYRIGHT.txt and the licence texts it refers to
In: ${in}

${what}
It is linked statically as Debian 12 builds it: from the binary package ${package}
${package_VERSION} (Debian's source package ${package_SOURCE}).
COPYRIGHT.txt is that package's copyright file; the licence texts it refers to lie beside it.
")
endfunction()

# TagLib, built by cmake/taglib.cmake from the pinned Debian source package with Debian's patch
# series and ours. Under the MPL 1.1, one of its two licences, a program may link it statically
# and keep its own licence, as long as TagLib's source is at hand: source/ has all of it.
tonschleuder_debian_pin(taglib taglib_pin)
string(REGEX REPLACE " .*" "" taglib_version "${taglib_pin}")
string(REGEX REPLACE ".* " "" taglib_dsc_sum "${taglib_pin}")
string(REGEX MATCH "^[0-9][0-9.]*[0-9]" taglib_upstream "${taglib_version}")
set(taglib_dir "${TONSCHLEUDER_NOTICES}/TagLib")
set(taglib_cache "${TONSCHLEUDER_DEPS_DIR}/cache")
set(taglib_dsc "${taglib_cache}/taglib_${taglib_version}.dsc")
file(STRINGS "${taglib_dsc}" taglib_files REGEX "^ [0-9a-f]+ [0-9]+ taglib_")
set(taglib_source_files "${taglib_dsc}")
set(taglib_listed)
foreach(line IN LISTS taglib_files)
    string(REGEX REPLACE ".* " "" name "${line}")
    if(NOT name IN_LIST taglib_listed)
        list(APPEND taglib_listed "${name}")
        list(APPEND taglib_source_files "${taglib_cache}/${name}")
    endif()
endforeach()
file(GLOB taglib_patches "${CMAKE_SOURCE_DIR}/cmake/patches/taglib-*.patch")
list(SORT taglib_patches)
file(COPY ${taglib_source_files} ${taglib_patches} DESTINATION "${taglib_dir}/source")
foreach(name COPYING.LGPL COPYING.MPL)
    tonschleuder_copy_crlf("${TAGLIB_PREFIX}/licences/${name}" "${taglib_dir}/${name}.txt")
endforeach()
set(taglib_our_patches "")
foreach(path IN LISTS taglib_patches)
    get_filename_component(name "${path}" NAME)
    string(APPEND taglib_our_patches "\n  ${name}  (our change; its header says what and why)")
endforeach()
file(READ "${TAGLIB_PREFIX}/stamp" taglib_stamp)
string(REGEX REPLACE "^[^:]*: ([^\n]*)\n(.*)$" "\\1" taglib_flags "${taglib_stamp}")
string(REGEX REPLACE "^[^:]*: ([^\n]*)\n(.*)$" "\\2" taglib_toolchain "${taglib_stamp}")
string(REPLACE "\n" "\n  " taglib_toolchain "${taglib_toolchain}")
# The stamp names the toolchain file by its hash; a reader wants its name.
string(REGEX REPLACE "toolchain file [0-9a-f]+" "CMAKE_TOOLCHAIN_FILE=<source>/cmake/mingw-w64-x86_64.cmake"
                     taglib_flags "${taglib_flags}")
list(JOIN taglib_listed ", " taglib_listed_text)
tonschleuder_write_crlf("${taglib_dir}/VERSION.txt" "TagLib ${taglib_upstream}
Licence: Mozilla Public License 1.1 (MPL), chosen of its two licences (LGPL 2.1 or MPL 1.1): COPYING.MPL.txt, COPYING.LGPL.txt
In: tonschleuder.exe

TagLib reads the tags of the dropped audio files. It is free software under the GNU Lesser
General Public License 2.1 or the Mozilla Public License 1.1; Tonschleuder uses it under the
MPL 1.1. It comes with no warranty.

tonschleuder.exe links it statically, built for 64-bit Windows with MinGW-w64 from the source
in source/, Debian's source package taglib ${taglib_version} (its .dsc has the SHA-256
${taglib_dsc_sum}):
  ${taglib_listed_text}${taglib_our_patches}
Steps: \"dpkg-source -x taglib_${taglib_version}.dsc\" (it applies Debian's patch series),
apply our patches listed above, if any, in that order with \"patch -p1\", then configure with CMake as a static
library (BUILD_SHARED_LIBS=OFF, BUILD_TESTING=OFF, BUILD_EXAMPLES=OFF, BUILD_BINDINGS=OFF) with
  ${taglib_flags}
(<source> is Tonschleuder's source folder) and build the target install.
Toolchain (Debian 12):
  ${taglib_toolchain}
")

# The libraries the compiler links into every program, and zlib, which TagLib uses.
execute_process(COMMAND "${CMAKE_C_COMPILER}" -print-file-name=libmsvcrt.a
                OUTPUT_VARIABLE crt_library OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND "${CMAKE_C_COMPILER}" -print-libgcc-file-name
                OUTPUT_VARIABLE gcc_library OUTPUT_STRIP_TRAILING_WHITESPACE)
tonschleuder_debian_notice(
    zlib zlib "zlib licence" tonschleuder.exe "${taglib_zlib}"
    "zlib unpacks the compressed frames of ID3v2 tags for TagLib.")
tonschleuder_debian_notice(
    MinGW-w64 "MinGW-w64 runtime" "Zope Public License 2.1, MIT and other permissive licences"
    "tonschleuder.exe, lame.exe" "${crt_library}"
    "The MinGW-w64 runtime (its start-up code, its C runtime glue and winpthreads) lets a program
built with GCC run on Windows.")
tonschleuder_debian_notice(
    GCC "GCC runtime libraries"
    "GNU General Public License 3 with the GCC Runtime Library Exception"
    "tonschleuder.exe, lame.exe" "${gcc_library}"
    "GCC's runtime libraries (libgcc, libstdc++) hold code that GCC calls in every program it
builds. Under the GCC Runtime Library Exception (in COPYRIGHT.txt) a program compiled with GCC
may carry them under its own licence.")

# Our licence, with Windows line ends.
configure_file("${CMAKE_SOURCE_DIR}/LICENSE" "${CMAKE_BINARY_DIR}/release/LICENSE.txt" @ONLY
               NEWLINE_STYLE CRLF)

# Two builds of one commit give the same tonschleuder.exe in the zip: the linker writes no time
# stamp, and the copy in the zip is stripped with the time stamp 0 (strip(1) writes the time of
# its run unless SOURCE_DATE_EPOCH says otherwise; CPack's own stripping cannot be told).
target_link_options(tonschleuder PRIVATE -Wl,--no-insert-timestamp)
install(TARGETS tonschleuder RUNTIME DESTINATION .)
install(CODE "execute_process(COMMAND \"${CMAKE_COMMAND}\" -E env SOURCE_DATE_EPOCH=0 \"${CMAKE_STRIP}\"
                                      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/tonschleuder.exe\"
                              RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR \"could not strip tonschleuder.exe\")
endif()")
install(FILES "${CMAKE_BINARY_DIR}/release/LICENSE.txt" "${TONSCHLEUDER_EXAMPLES}/LIESMICH.txt"
              "${TONSCHLEUDER_EXAMPLES}/README.txt"
        DESTINATION .)
# The sample template is made at build time from the built-in page (sample_template).
install(FILES "${SAMPLE_TEMPLATE}" "${TONSCHLEUDER_EXAMPLES}/Genre-Menü.txt"
        DESTINATION examples)
install(DIRECTORY "${TONSCHLEUDER_NOTICES}/" DESTINATION .)
# THIRD-PARTY.txt from the folders installed, after them.
install(CODE "set(TONSCHLEUDER_VERSION ${PROJECT_VERSION})
include(\"${CMAKE_SOURCE_DIR}/cmake/third-party.cmake\")")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "Tonschleuder")
set(CPACK_PACKAGE_VENDOR "Morgenfeld-Software")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prepares batch runs of the LAME MP3 encoder")
set(CPACK_PACKAGE_FILE_NAME "Tonschleuder-${PROJECT_VERSION}-win64")
# One folder in the zip, so that unzipping anywhere gives Tonschleuder-<version>-win64\.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
