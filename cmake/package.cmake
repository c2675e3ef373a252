# The release zip (cmake --build --preset windows --target package): tonschleuder.exe, the two
# read-mes, and the sample template and genre list in examples/, where they stay inactive
# until the user copies them beside the program.
if(NOT TARGET tonschleuder)
    return()
endif()

set(TONSCHLEUDER_EXAMPLES "${CMAKE_SOURCE_DIR}/docs/examples")
install(TARGETS tonschleuder RUNTIME DESTINATION .)
install(FILES "${TONSCHLEUDER_EXAMPLES}/LIESMICH.txt" "${TONSCHLEUDER_EXAMPLES}/README.txt"
        DESTINATION .)
# The sample template is made at build time from the built-in page (sample_template).
install(FILES "${SAMPLE_TEMPLATE}" "${TONSCHLEUDER_EXAMPLES}/Genre-Menü.txt"
        DESTINATION examples)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "Tonschleuder")
set(CPACK_PACKAGE_VENDOR "Morgenfeld-Software")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Prepares batch runs of the LAME MP3 encoder")
set(CPACK_PACKAGE_FILE_NAME "Tonschleuder-${PROJECT_VERSION}-win64")
# One folder in the zip, so that unzipping anywhere gives Tonschleuder-<version>-win64\.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
