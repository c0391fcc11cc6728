# Checks for the user manual, run by CTest as `cmake -DCHECK=<kind> ... -P manual_checks.cmake`.
#
#   CHECK=pdf       PDF=<file> [PDFTOTEXT=<tool>]
#       the built manual lies where the viewer looks for it and is a complete PDF; with
#       pdftotext, its Chinese and English text can be extracted again.
#   CHECK=glyphs    GENERATOR=<manualgen> SOURCES=<html;...> WORK_DIR=<dir>
#       the installed fonts can draw every character of the manual (no empty boxes).
#   CHECK=failures  GENERATOR=<manualgen> WORK_DIR=<dir>
#       bad command lines and failed runs report their exit code and leave an existing
#       PDF untouched; a good run replaces it.

function(expect_exit expected)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT "${result}" STREQUAL "${expected}")
    message(FATAL_ERROR "expected exit code ${expected}, got ${result}\ncommand: ${ARGN}\n${out}${err}")
  endif()
endfunction()

function(expect_pdf file)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "missing: ${file}")
  endif()
  # Compared in hex: a text-mode read of a binary file does not keep to its limit.
  file(READ "${file}" head LIMIT 5 HEX)
  if(NOT head STREQUAL "255044462d")
    message(FATAL_ERROR "${file} does not start with %PDF- (starts with hex ${head})")
  endif()
  file(SIZE "${file}" size)
  math(EXPR tail_offset "${size} - 32")
  if(tail_offset LESS 0)
    set(tail_offset 0)
  endif()
  file(READ "${file}" tail OFFSET ${tail_offset} HEX)
  if(NOT tail MATCHES "2525454f46")
    message(FATAL_ERROR "${file} is truncated: no %%EOF at its end")
  endif()
endfunction()

if(CHECK STREQUAL "pdf")
  expect_pdf("${PDF}")
  file(SIZE "${PDF}" size)
  # A manual whose text or fonts went missing shrinks to a few kilobytes.
  if(size LESS 50000)
    message(FATAL_ERROR "${PDF} is only ${size} bytes")
  endif()
  if(PDFTOTEXT)
    execute_process(COMMAND "${PDFTOTEXT}" -enc UTF-8 "${PDF}" -
                    RESULT_VARIABLE result OUTPUT_VARIABLE text ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "pdftotext failed: ${err}")
    endif()
    # Searching the manual must work: words with ideographs whose glyphs CJK fonts share
    # with radicals (用, 见) and digits inside Latin words (MP4) both once printed fine
    # but came back wrong from the PDF's text.
    foreach(expected "软件使用说明书" "目录" "设备列表与热插拔" "常见问题" "快捷键" "Ctrl+I" "vexocam-sim"
                     "English User Guide" "E14 Firmware upgrade tool" "MP4/AVI" "Qt 5")
      string(FIND "${text}" "${expected}" at)
      if(at EQUAL -1)
        message(FATAL_ERROR "the text of ${PDF} lacks \"${expected}\"")
      endif()
    endforeach()
  endif()

elseif(CHECK STREQUAL "glyphs")
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(MAKE_DIRECTORY "${WORK_DIR}")
  expect_exit(0 "${GENERATOR}" --strict-glyphs -o "${WORK_DIR}/manual.pdf" ${SOURCES})
  expect_pdf("${WORK_DIR}/manual.pdf")

elseif(CHECK STREQUAL "failures")
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(MAKE_DIRECTORY "${WORK_DIR}")
  set(good "${WORK_DIR}/good.html")
  file(WRITE "${good}" "<html><head><title>测试</title></head><body><h1>第一章</h1><p>中文 and English.</p></body></html>")
  # U+10FFFD is a private-use code point that no font draws.
  set(undrawable "${WORK_DIR}/undrawable.html")
  file(WRITE "${undrawable}" "<html><body><p>&#x10FFFD;</p></body></html>")
  set(existing "${WORK_DIR}/existing.pdf")
  file(WRITE "${existing}" "previous manual")

  expect_exit(1 "${GENERATOR}")
  expect_exit(1 "${GENERATOR}" "${good}")
  expect_exit(1 "${GENERATOR}" -o "${existing}")
  expect_exit(2 "${GENERATOR}" -o "${existing}" "${WORK_DIR}/no-such-file.html")
  expect_exit(4 "${GENERATOR}" --strict-glyphs -o "${existing}" "${undrawable}")
  file(READ "${existing}" kept)
  if(NOT kept STREQUAL "previous manual")
    message(FATAL_ERROR "a failed run changed the existing PDF")
  endif()
  expect_exit(3 "${GENERATOR}" -o "${WORK_DIR}/no-such-dir/manual.pdf" "${good}")
  if(EXISTS "${WORK_DIR}/no-such-dir")
    message(FATAL_ERROR "a failed run created the missing output folder")
  endif()

  expect_exit(0 "${GENERATOR}" -o "${existing}" "${good}")
  expect_pdf("${existing}")

else()
  message(FATAL_ERROR "unknown CHECK '${CHECK}'")
endif()
