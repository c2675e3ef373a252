# LAME's lame.exe, which the release zip carries beside tonschleuder.exe and the end-to-end tests
# run. tools/build-lame builds it from the pinned Debian source package with our patches
# (cmake/patches/lame-*.patch) and libsndfile's readers for FLAC, Ogg Vorbis and Opus
# (tools/build-audio-libs) into a cache shared by every build tree (build/deps), once: a
# stamp there names the pinned source, the patches' hashes, the toolchain's exact versions and
# the flags. The step runs in every build and returns at once while the stamp matches, so that a
# new compiler or patch is never missed. Gives the imported executable Lame::lame and its install
# rules.
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    return()
endif()

set(TONSCHLEUDER_LAME_VERSION 3.100)
# TONSCHLEUDER_DEPS_DIR comes from cmake/taglib.cmake, included first.
set(TONSCHLEUDER_LAME_DIST "${TONSCHLEUDER_DEPS_DIR}/lame-${TONSCHLEUDER_LAME_VERSION}/dist")

add_custom_target(
    lame_build ALL
    COMMAND "${CMAKE_SOURCE_DIR}/tools/build-lame" ${TONSCHLEUDER_LAME_VERSION}
            "${CMAKE_C_COMPILER}" "${TONSCHLEUDER_DEPS_DIR}"
    BYPRODUCTS "${TONSCHLEUDER_LAME_DIST}/lame.exe"
    COMMENT "LAME ${TONSCHLEUDER_LAME_VERSION} for Windows (built once into ${TONSCHLEUDER_DEPS_DIR})"
    VERBATIM USES_TERMINAL)

add_executable(Lame::lame IMPORTED GLOBAL)
set_target_properties(Lame::lame PROPERTIES IMPORTED_LOCATION "${TONSCHLEUDER_LAME_DIST}/lame.exe")
add_dependencies(Lame::lame lame_build)

# In the zip: lame.exe beside the program; LAME\ and a folder per library linked into it, each
# with its licence, version, build and source.
install(PROGRAMS "${TONSCHLEUDER_LAME_DIST}/lame.exe" DESTINATION .)
foreach(folder LAME libogg libvorbis FLAC Opus libsndfile)
    install(DIRECTORY "${TONSCHLEUDER_LAME_DIST}/${folder}" DESTINATION .)
endforeach()
