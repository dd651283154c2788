# The fuzz build (-DVORLUNE_FUZZ=ON, clang++ only; scripts/fuzz configures it): every library is
# compiled with libFuzzer's coverage and the sanitizers, so the fuzz targets of fuzz/ link the
# program's own libraries as they are. Any undefined behaviour stops the run as a crash, so the
# fuzzer keeps the input.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "The fuzz targets need clang++: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
set(VORLUNE_FUZZ_SANITIZERS address,undefined)
add_compile_options(-fsanitize=fuzzer-no-link,${VORLUNE_FUZZ_SANITIZERS} -fno-sanitize-recover=all
  -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=${VORLUNE_FUZZ_SANITIZERS})
