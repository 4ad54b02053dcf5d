# Strict warnings for the project's own targets. Third-party headers (Qt,
# QCustomPlot, GoogleTest) come in as system includes and stay quiet.
# The flags are chosen per compiler: g++ and clang take the same set (with
# the differences below), MSVC its own.
function(cellwatch_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
        return()
    endif()
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor
        -Woverloaded-virtual -Wcast-align -Werror)
    if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # In a unity build every source but the generated one counts as a
        # header for g++, so a class holding a type of its own file's
        # anonymous namespace is reported as if it could clash across files.
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endif()
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        # clang's -Wconversion also takes in sign conversions, g++'s does not;
        # the rule is the same for both compilers: g++'s.
        target_compile_options(${target} PRIVATE -Wno-sign-conversion)
    endif()
endfunction()
