# Warnings belong to our targets, not to Qt's headers or generated code.
function(scroll_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
