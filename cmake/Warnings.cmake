# Project-wide compiler flags: strict warnings everywhere, optional sanitizers.
add_compile_options(-Wall -Wextra -Werror)

if(VANTIRO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
