# TagLib, the tag library, as the imported target TagLib::tag.
#
# Every build compiles it from Debian's taglib source package (the version pinned in
# cmake/debian-sources.txt, unpacked with its patch series applied, so that it is the code of
# Debian's libtag1), then our patches (cmake/patches/taglib-*.patch, see their headers), as a
# static library: with our MinGW toolchain for Windows, with the host's compiler for the native
# tests, with the fuzzer's instrumentation for the fuzz tree. Our patches bound what a crafted
# file makes TagLib do, so every tree must read with them; the system's libtag1 cannot carry
# them. The result is kept in build/deps, shared by every build tree and worktree of this
# checkout; a stamp names the pinned source, our patches' hashes, the toolchain's exact versions
# and the flags, so that only a change of one of them builds it again.

set(TONSCHLEUDER_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps"
    CACHE PATH "Where libraries and programs built from Debian's sources are kept, for every build tree")
set(TONSCHLEUDER_DEBIAN_SOURCES "${CMAKE_SOURCE_DIR}/cmake/debian-sources.txt")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${TONSCHLEUDER_DEBIAN_SOURCES}")

# Sets VAR to PACKAGE's pinned "VERSION SHA256-OF-THE-DSC".
function(tonschleuder_debian_pin package var)
    file(STRINGS "${TONSCHLEUDER_DEBIAN_SOURCES}" lines REGEX "^${package}[ \t]")
    if(NOT lines)
        message(FATAL_ERROR "${package} has no pinned version in ${TONSCHLEUDER_DEBIAN_SOURCES}")
    endif()
    list(GET lines 0 line)
    string(REGEX REPLACE "^[^ \t]+[ \t]+([^ \t]+)[ \t]+([0-9a-f]+).*" "\\1 \\2" pin "${line}")
    set(${var} "${pin}" PARENT_SCOPE)
endfunction()

# Builds TagLib from Debian's source package into ${TONSCHLEUDER_DEPS_DIR}/taglib-FLAVOR and
# sets TAGLIB_PREFIX to that installation. ARGN: the cache entries for TagLib's own configure.
function(tonschleuder_build_taglib flavor)
    set(deps "${TONSCHLEUDER_DEPS_DIR}")
    set(cache "${deps}/cache")
    set(prefix "${deps}/taglib-${flavor}")
    file(MAKE_DIRECTORY "${deps}")
    # The one lock of build/deps (cmake/deps-lock.cmake takes it for tools/build-lame): two build
    # trees configured or built at once never unpack or build into one folder together.
    file(LOCK "${deps}/lock" GUARD FUNCTION TIMEOUT 3600)

    tonschleuder_debian_pin(taglib pin)
    string(REGEX REPLACE " .*" "" version "${pin}")

    # The stamp: the pinned source, the exact toolchain and the flags, without this checkout's
    # path (the toolchain file by its content), so that every worktree shares one build.
    set(stamp_flags)
    foreach(entry IN LISTS ARGN)
        if(entry MATCHES "^CMAKE_TOOLCHAIN_FILE=(.*)")
            file(SHA256 "${CMAKE_MATCH_1}" toolchain_hash)
            set(entry "toolchain file ${toolchain_hash}")
        endif()
        string(REPLACE "${CMAKE_SOURCE_DIR}" "<source>" entry "${entry}")
        list(APPEND stamp_flags "${entry}")
    endforeach()
    list(JOIN stamp_flags " " flags)
    execute_process(COMMAND "${CMAKE_SOURCE_DIR}/tools/compiler-id" "${CMAKE_C_COMPILER}"
                            "${CMAKE_CXX_COMPILER}" "${CMAKE_AR}"
                    OUTPUT_VARIABLE toolchain OUTPUT_STRIP_TRAILING_WHITESPACE)

    file(GLOB our_patches "${CMAKE_SOURCE_DIR}/cmake/patches/taglib-*.patch")
    list(SORT our_patches)
    set(patch_hashes)
    foreach(patch IN LISTS our_patches)
        file(SHA256 "${patch}" hash)
        get_filename_component(patch_name "${patch}" NAME)
        list(APPEND patch_hashes "${patch_name} ${hash}")
    endforeach()
    list(JOIN patch_hashes ", " patch_hashes)
    set(stamp_text
        "taglib ${pin} debian-patches, then ${patch_hashes}\n${flavor}: ${flags}\n${toolchain}")
    set(stamp "${prefix}/stamp")
    if(EXISTS "${stamp}")
        file(READ "${stamp}" built)
        if(built STREQUAL stamp_text)
            set(TAGLIB_PREFIX "${prefix}" PARENT_SCOPE)
            return()
        endif()
    endif()

    message(STATUS "TagLib: building ${version} (${flavor}) into ${prefix}")
    string(TIMESTAMP started "%s")
    # A source tree per flavor: two flavors may be built at once from two build trees.
    set(source "${deps}/taglib-${flavor}-source")
    execute_process(COMMAND "${CMAKE_SOURCE_DIR}/tools/debian-source" taglib "${cache}"
                            "${source}" debian-patches
                    OUTPUT_QUIET RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "TagLib: could not fetch or unpack the pinned taglib source package")
    endif()
    foreach(patch IN LISTS our_patches)
        execute_process(COMMAND patch -s -p1 -d "${source}" -i "${patch}" RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "TagLib: ${patch} does not apply")
        endif()
    endforeach()
    set(work "${deps}/taglib-${flavor}-build")
    file(REMOVE_RECURSE "${work}" "${prefix}")
    set(cache_args)
    foreach(entry IN LISTS ARGN)
        list(APPEND cache_args "-D${entry}")
    endforeach()
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${work}" -G "${CMAKE_GENERATOR}"
                            "-DCMAKE_INSTALL_PREFIX=${prefix}" -DCMAKE_INSTALL_LIBDIR=lib
                            -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF -DBUILD_EXAMPLES=OFF
                            -DBUILD_BINDINGS=OFF ${cache_args}
                    OUTPUT_FILE "${deps}/taglib-${flavor}-configure.log"
                    ERROR_FILE "${deps}/taglib-${flavor}-configure.log"
                    RESULT_VARIABLE failed)
    if(NOT failed)
        execute_process(COMMAND "${CMAKE_COMMAND}" --build "${work}" --target install -j 2
                        OUTPUT_FILE "${deps}/taglib-${flavor}-build.log"
                        ERROR_FILE "${deps}/taglib-${flavor}-build.log"
                        RESULT_VARIABLE failed)
    endif()
    if(failed)
        message(FATAL_ERROR "TagLib: build failed, see ${deps}/taglib-${flavor}-*.log")
    endif()
    # Its licence texts go with the library: the source tree is removed.
    file(COPY "${source}/COPYING.LGPL" "${source}/COPYING.MPL" DESTINATION "${prefix}/licences")
    file(REMOVE_RECURSE "${work}" "${source}")
    string(TIMESTAMP finished "%s")
    math(EXPR seconds "${finished} - ${started}")
    message(STATUS "TagLib: built in ${seconds} s")
    file(WRITE "${stamp}" "${stamp_text}")
    set(TAGLIB_PREFIX "${prefix}" PARENT_SCOPE)
endfunction()

if(NOT TARGET TagLib::tag)
    add_library(TagLib::tag INTERFACE IMPORTED)
    if(WIN32)
        # The zlib of Debian's libz-mingw-w64-dev, static as everything else in the program.
        set(taglib_zlib "${CMAKE_FIND_ROOT_PATH}/lib/libz.a")
        # Debian's patch series takes utf8cpp from libutfcpp-dev.
        tonschleuder_build_taglib(
            mingw-w64-x86_64
            "CMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake"
            CMAKE_BUILD_TYPE=Release "CMAKE_CXX_FLAGS=-I/usr/include/utf8cpp"
            WITH_ZLIB=ON "ZLIB_LIBRARY=${taglib_zlib}"
            "ZLIB_INCLUDE_DIR=${CMAKE_FIND_ROOT_PATH}/include")
        set_target_properties(
            TagLib::tag
            PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${TAGLIB_PREFIX}/include"
                       INTERFACE_COMPILE_DEFINITIONS TAGLIB_STATIC
                       INTERFACE_LINK_LIBRARIES "${TAGLIB_PREFIX}/lib/libtag.a;${taglib_zlib}")
    elseif(TONSCHLEUDER_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        # The fuzz tree: the same sources with the fuzzer's coverage and AddressSanitizer.
        tonschleuder_build_taglib(
            clang-fuzz "CMAKE_C_COMPILER=${CMAKE_C_COMPILER}"
            "CMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}" CMAKE_BUILD_TYPE=RelWithDebInfo
            "CMAKE_CXX_FLAGS=-I/usr/include/utf8cpp -fsanitize=fuzzer-no-link,address")
        find_library(TAGLIB_ZLIB z REQUIRED)
        set_target_properties(
            TagLib::tag
            PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${TAGLIB_PREFIX}/include"
                       INTERFACE_LINK_LIBRARIES "${TAGLIB_PREFIX}/lib/libtag.a;${TAGLIB_ZLIB}")
    else()
        tonschleuder_build_taglib(native CMAKE_BUILD_TYPE=Release
                                  "CMAKE_CXX_FLAGS=-I/usr/include/utf8cpp")
        find_library(TAGLIB_ZLIB z REQUIRED)
        set_target_properties(
            TagLib::tag
            PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${TAGLIB_PREFIX}/include"
                       INTERFACE_LINK_LIBRARIES "${TAGLIB_PREFIX}/lib/libtag.a;${TAGLIB_ZLIB}")
    endif()
endif()
