# SCROLL_SANITIZE=address,undefined or =thread instruments everything we build.
set(SCROLL_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(SCROLL_SANITIZE)
  add_compile_options(-fsanitize=${SCROLL_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${SCROLL_SANITIZE})
  if(SCROLL_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()
