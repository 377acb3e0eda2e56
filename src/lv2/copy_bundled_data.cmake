# cmake -DFROM=<program folder> -DTO=<bundle> -P copy_bundled_data.cmake
file(MAKE_DIRECTORY ${TO}/wavs)
file(COPY ${FROM}/Dizek.txt DESTINATION ${TO})
file(GLOB samples ${FROM}/wavs/*.wav)
file(COPY ${samples} DESTINATION ${TO}/wavs)
file(GLOB systems ${FROM}/sistemler/*.scl ${FROM}/sistemler/perde-names.tsv)
file(COPY ${systems} DESTINATION ${TO}/sistemler)
