# lintra_warnings(target): the warning set every target of ours builds clean with.
function(lintra_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wconversion -Wsign-conversion -Wshadow -Wpedantic)
endfunction()
