# Project-wide compiler flags: strict warnings everywhere, optional sanitizers.
add_compile_options(-Wall -Wextra)
# Warnings stop the build only where the project's own scripts and CI ask for it: a user's
# build at any build type must not fail on a warning a newer compiler invents.
option(VANTIRO_WERROR "Treat compiler warnings as errors" OFF)
if(VANTIRO_WERROR)
  add_compile_options(-Werror)
endif()
# No fused multiply-adds behind the code's back: results must be the same on processors
# that have them (PowerPC) and those that do not.
add_compile_options(-ffp-contract=off)

if(VANTIRO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
