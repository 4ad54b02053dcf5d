# Strict warnings for the project's own targets. Third-party headers (Qt,
# QCustomPlot, GoogleTest) come in as system includes and stay quiet.
function(cellwatch_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor
        -Woverloaded-virtual -Wcast-align -Werror)
endfunction()
