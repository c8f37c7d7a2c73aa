# Authenticode signing on request: `make release` passes SIGN_CERT and SIGN_KEY (PEM files) from its environment,
# and qs_sign_after_link(TARGET) then signs the program in place right after it is linked (scripts/sign). Without
# them nothing is signed.
set(SIGN_CERT "" CACHE FILEPATH "Certificate (PEM) that signs Setup.exe and DeleteMe.exe; empty: not signed")
set(SIGN_KEY "" CACHE FILEPATH "Private key (PEM) of SIGN_CERT")
# Names the pair: the signed programs link again when it changes, so a program is never left signed (or
# unsigned) from an earlier configuration.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/signing.txt CONTENT "${SIGN_CERT}\n${SIGN_KEY}\n")

function(qs_sign_after_link target)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_BINARY_DIR}/signing.txt)
  if(SIGN_CERT OR SIGN_KEY)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${SIGN_CERT} ${SIGN_KEY})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${QS_TOP}/scripts/sign "${SIGN_CERT}" "${SIGN_KEY}" $<TARGET_FILE:${target}> VERBATIM)
  endif()
endfunction()
