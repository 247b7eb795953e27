# Warnings every Mivex target builds with; kept clean so a new one stands out.
function(mivex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wnon-virtual-dtor -Wold-style-cast)
  if(MIVEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
