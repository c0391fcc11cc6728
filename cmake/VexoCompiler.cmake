# Warnings on for our own code; sanitizers for the checking builds.
add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter)

if(VEXO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(VEXO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
