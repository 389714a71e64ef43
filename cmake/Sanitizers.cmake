# SCROLL_SANITIZE=address,undefined or =thread instruments everything we build. Line tables (-g1) are all
# a report needs to name file and line, and take far less to build than full debug information.
set(SCROLL_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(SCROLL_SANITIZE)
  add_compile_options(-fsanitize=${SCROLL_SANITIZE} -fno-omit-frame-pointer -g1)
  add_link_options(-fsanitize=${SCROLL_SANITIZE})
  if(SCROLL_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()
