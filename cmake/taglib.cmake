# TagLib, the tag library, as the imported target TagLib::tag.
#
# Every build compiles it from Debian's taglib source package (its patch series applied, so
# that it is the code of Debian's libtag1), then our patches (cmake/patches/taglib-*.patch, see
# their headers), as a static library: with our MinGW toolchain for Windows, with the host's
# compiler for the native tests, with the fuzzer's instrumentation for the fuzz tree. Our
# patches bound what a crafted file makes TagLib do, so every tree must read with them; the
# system's libtag1 cannot carry them. The result is kept in build/deps, shared by every build
# tree of this checkout; a stamp names the version, the patches' hashes and the flags, so that
# a rebuild or a new build tree only builds it again when one of them changed.

set(TONSCHLEUDER_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps"
    CACHE PATH "Where libraries and programs built from Debian's sources are kept, for every build tree")

# Builds TagLib from Debian's source package into ${TONSCHLEUDER_DEPS_DIR}/taglib-FLAVOR and
# sets TAGLIB_PREFIX to that installation. ARGN: the cache entries for TagLib's own configure.
function(tonschleuder_build_taglib flavor)
    set(deps "${TONSCHLEUDER_DEPS_DIR}")
    set(cache "${deps}/cache")
    set(prefix "${deps}/taglib-${flavor}")
    file(MAKE_DIRECTORY "${deps}")
    # Two build trees configured at once must not build it twice into the same place.
    file(LOCK "${deps}/taglib-${flavor}.lock" GUARD FUNCTION TIMEOUT 1800)

    file(GLOB dsc "${cache}/taglib_*.dsc")
    if(NOT dsc)
        execute_process(COMMAND "${CMAKE_SOURCE_DIR}/tools/debian-source" taglib "${cache}"
                                "${deps}/taglib-${flavor}-source" debian-patches
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "TagLib: could not fetch Debian's taglib source package")
        endif()
        file(GLOB dsc "${cache}/taglib_*.dsc")
    endif()
    list(GET dsc 0 dsc)
    file(STRINGS "${dsc}" version REGEX "^Version: ")
    string(REPLACE "Version: " "" version "${version}")

    file(GLOB our_patches "${CMAKE_SOURCE_DIR}/cmake/patches/taglib-*.patch")
    list(SORT our_patches)
    set(patch_hashes)
    foreach(patch IN LISTS our_patches)
        file(SHA256 "${patch}" hash)
        get_filename_component(patch_name "${patch}" NAME)
        list(APPEND patch_hashes "${patch_name} ${hash}")
    endforeach()
    list(JOIN patch_hashes ", " patch_hashes)

    list(JOIN ARGN " " flags)
    set(stamp_text
        "taglib ${version} debian-patches, then ${patch_hashes}\n${flavor}: ${flags}")
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
        message(FATAL_ERROR "TagLib: could not unpack Debian's taglib source package")
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
