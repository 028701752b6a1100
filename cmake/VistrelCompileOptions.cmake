# Warnings are fixed rather than silenced.
add_library(vistrel_compile_options INTERFACE)
target_compile_options(vistrel_compile_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                       -Wnon-virtual-dtor -Wcast-align -Wformat=2)
if(VISTREL_SANITIZE)
  target_compile_options(vistrel_compile_options INTERFACE
                         -fsanitize=address,undefined -fno-sanitize-recover=undefined
                         -fno-omit-frame-pointer)
  target_link_options(vistrel_compile_options INTERFACE -fsanitize=address,undefined)
endif()
if(VISTREL_FUZZ)
  # Coverage for the fuzzer and the address checks on everything it reaches.
  target_compile_options(vistrel_compile_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                         -fno-omit-frame-pointer -g)
  target_link_options(vistrel_compile_options INTERFACE -fsanitize=address,undefined)
endif()
