# LAME's lame.exe, which the release zip carries beside tonschleuder.exe and the end-to-end tests
# run. tools/build-lame builds it from Debian's pristine source with our patches into a
# cache shared by every build tree (build/deps), once: a stamp there names the version, the
# patches' hash and the flags. Gives the imported executable Lame::lame and its install rules.
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
    return()
endif()

set(TONSCHLEUDER_LAME_VERSION 3.100)
# TONSCHLEUDER_DEPS_DIR comes from cmake/taglib.cmake, included first.
set(TONSCHLEUDER_LAME_DIST "${TONSCHLEUDER_DEPS_DIR}/lame-${TONSCHLEUDER_LAME_VERSION}/dist")
file(GLOB TONSCHLEUDER_LAME_PATCHES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/cmake/patches/lame-*.patch")

add_custom_command(
    OUTPUT "${TONSCHLEUDER_LAME_DIST}/lame.exe"
    COMMAND "${CMAKE_SOURCE_DIR}/tools/build-lame" ${TONSCHLEUDER_LAME_VERSION}
            "${CMAKE_C_COMPILER}" "${TONSCHLEUDER_DEPS_DIR}"
    DEPENDS "${CMAKE_SOURCE_DIR}/tools/build-lame" "${CMAKE_SOURCE_DIR}/tools/debian-source"
            ${TONSCHLEUDER_LAME_PATCHES}
    COMMENT "LAME ${TONSCHLEUDER_LAME_VERSION} for Windows (built once into ${TONSCHLEUDER_DEPS_DIR})"
    VERBATIM USES_TERMINAL)
add_custom_target(lame_build ALL DEPENDS "${TONSCHLEUDER_LAME_DIST}/lame.exe")

add_executable(Lame::lame IMPORTED GLOBAL)
set_target_properties(Lame::lame PROPERTIES IMPORTED_LOCATION "${TONSCHLEUDER_LAME_DIST}/lame.exe")
add_dependencies(Lame::lame lame_build)

# In the zip: lame.exe beside the program; LAME\ with its licence, version and source.
install(PROGRAMS "${TONSCHLEUDER_LAME_DIST}/lame.exe" DESTINATION .)
install(DIRECTORY "${TONSCHLEUDER_LAME_DIST}/LAME" DESTINATION .)
