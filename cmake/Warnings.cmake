# Warning flags shared by every target of the project (not by third-party code).
function(sayvane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
    if(SAYVANE_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
