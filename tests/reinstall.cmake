# A reinstall over a program folder in use: the executables and the guide
# are delivered again, while the archives, the attachments and the password
# file that the folder holds stay byte for byte as they were.
#   cmake -DBUILD=<build folder> -DFOLDER=<scratch folder> -P reinstall.cmake

cmake_minimum_required(VERSION 3.21)

if(NOT BUILD OR NOT FOLDER)
  message(FATAL_ERROR "BUILD and FOLDER are needed")
endif()

file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}/Documenti_Allegati")

# The user's data, each file with its own bytes.
set(kept Libri.pro DVD.pro 2015.art unins000.dll Documenti_Allegati/lettera.pdf Documenti_Allegati/foto.jpg)
foreach(name IN LISTS kept)
  file(WRITE "${FOLDER}/${name}" "user data of ${name}")
  file(SHA256 "${FOLDER}/${name}" before_${name})
endforeach()
# A stale executable and guide are replaced.
file(WRITE "${FOLDER}/Guida.pdf" "old guide")

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${FOLDER}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()

foreach(name IN LISTS kept)
  file(SHA256 "${FOLDER}/${name}" after)
  if(NOT after STREQUAL before_${name})
    message(FATAL_ERROR "${name} was changed by the reinstall")
  endif()
endforeach()
# The command line's plugins lie beside it, where it looks for them.
foreach(name tomaria tomaria-cli tomaria-stampa.so tomaria-catalogo.so tomaria-xlsx.so Guida.pdf)
  if(NOT EXISTS "${FOLDER}/${name}")
    message(FATAL_ERROR "${name} was not delivered")
  endif()
endforeach()
file(READ "${FOLDER}/Guida.pdf" guide LIMIT 4 HEX)
if(NOT guide STREQUAL "25504446") # "%PDF"
  message(FATAL_ERROR "Guida.pdf was not replaced")
endif()

# Into an empty folder the initial password file is delivered.
file(REMOVE_RECURSE "${FOLDER}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${FOLDER}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS "${FOLDER}/unins000.dll")
  message(FATAL_ERROR "a fresh install has no password file")
endif()
file(REMOVE_RECURSE "${FOLDER}")
