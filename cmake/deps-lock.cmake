# Runs a command while holding the one lock of build/deps, which every step that writes there
# takes, so that two build trees configured or built at once never build from a half-unpacked
# source or into one folder. It is CMake's file(LOCK), an fcntl lock (flock(1) would not exclude
# it), the lock cmake/taglib.cmake takes itself. The command sees TONSCHLEUDER_DEPS_LOCKED set to
# the folder, so that tools/build-lame, run by hand, knows it holds the lock already.
#
# Usage: cmake -DDEPS=<build/deps> -P cmake/deps-lock.cmake COMMAND [ARGS...]
if(NOT DEPS)
    message(FATAL_ERROR "deps-lock: DEPS is not set")
endif()
set(command)
set(take OFF)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE 1 ${last})
    if(take)
        # A CMake list cannot hold one.
        if(CMAKE_ARGV${index} MATCHES ";")
            message(FATAL_ERROR "deps-lock: an argument holds a semicolon: ${CMAKE_ARGV${index}}")
        endif()
        list(APPEND command "${CMAKE_ARGV${index}}")
    elseif(CMAKE_ARGV${index} STREQUAL CMAKE_SCRIPT_MODE_FILE)
        set(take ON)
    endif()
endforeach()
if(NOT command)
    message(FATAL_ERROR "deps-lock: no command given")
endif()

file(MAKE_DIRECTORY "${DEPS}")
file(LOCK "${DEPS}/lock" TIMEOUT 3600 RESULT_VARIABLE locked)
if(NOT locked EQUAL 0)
    message(FATAL_ERROR "deps-lock: ${DEPS}/lock: ${locked}")
endif()
set(ENV{TONSCHLEUDER_DEPS_LOCKED} "${DEPS}")
execute_process(COMMAND ${command} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    list(GET command 0 program)
    get_filename_component(program "${program}" NAME)
    message(FATAL_ERROR "${program} failed (${status})")
endif()
