# The vendor's package key inside Setup.exe: `make release PACKAGE_KEY=PUB.pem` configures the release tree with
# it, and Setup.exe then carries it as RCDATA "PAKKEY" and installs only packages signed with its private half.
# Without it Setup.exe holds no key and checks nothing. Included from src/setup.
set(PACKAGE_KEY "" CACHE FILEPATH "Vendor public key (PEM, RSA 3072 bits or more) for Setup.exe's package checks; empty: none")
set(QS_PACKAGE_KEY_SCRIPT ${QS_TOP}/scripts/package-key)

if(PACKAGE_KEY)
  execute_process(COMMAND ${QS_PACKAGE_KEY_SCRIPT} --check ${PACKAGE_KEY} RESULT_VARIABLE bad ERROR_VARIABLE why)
  if(bad)
    message(FATAL_ERROR "PACKAGE_KEY: ${why}")
  endif()
endif()

# Writes a resource script that carries the DER key file der as RCDATA "PAKKEY" into rc.
function(qs_package_key_rc der rc)
  file(CONFIGURE OUTPUT ${rc} CONTENT "// The vendor's package key (generated).\nPAKKEY RCDATA \"${der}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${der})
endfunction()

# The key of a keyed build: its DER form made from PACKAGE_KEY at build time.
function(qs_package_key_from_pem pem der)
  add_custom_command(OUTPUT ${der}
    COMMAND ${QS_PACKAGE_KEY_SCRIPT} ${pem} ${der}
    DEPENDS ${pem} ${QS_PACKAGE_KEY_SCRIPT}
    COMMENT "Taking the package key from ${pem}" VERBATIM)
endfunction()

# Key pairs for the tests, made by openssl at build time into ${CMAKE_BINARY_DIR}/testkeys: "vendor" (its public
# half goes into the test's keyed Setup.exe) and "other" (a stranger's key). Target qs_test_keys makes them.
function(qs_test_keys)
  set(dir ${CMAKE_BINARY_DIR}/testkeys)
  set(outs)
  foreach(name vendor other)
    add_custom_command(OUTPUT ${dir}/${name}.pem ${dir}/${name}-pub.pem
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out ${dir}/${name}.pem -quiet
      COMMAND openssl pkey -in ${dir}/${name}.pem -pubout -out ${dir}/${name}-pub.pem
      COMMENT "Making the test key pair ${name}" VERBATIM)
    list(APPEND outs ${dir}/${name}.pem ${dir}/${name}-pub.pem)
  endforeach()
  qs_package_key_from_pem(${dir}/vendor-pub.pem ${dir}/vendor.der)
  add_custom_target(qs_test_keys DEPENDS ${outs} ${dir}/vendor.der)
  set(QS_TEST_KEYS_DIR ${dir} PARENT_SCOPE)
endfunction()
