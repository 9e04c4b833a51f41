# Project-wide compiler flags: strict warnings everywhere, optional sanitizers.
add_compile_options(-Wall -Wextra -Werror)
# No fused multiply-adds behind the code's back: results must be the same on processors
# that have them (PowerPC) and those that do not.
add_compile_options(-ffp-contract=off)

if(VANTIRO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
