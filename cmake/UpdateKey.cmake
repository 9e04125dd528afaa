# Reading the public half of the key that signs release packages.
#
# vendrix_read_update_key(FILE VARIABLE) sets VARIABLE to the Base64 text of
# the key in FILE, a PEM file as `openssl pkey -pubout` writes it. Only an
# Ed25519 key is taken: its DER form always begins with the same 12 bytes, so
# its Base64 text with the same 16 characters, and is 44 bytes (60 characters)
# long. Anything else (a private key, another algorithm, a damaged file) stops
# the configuration with a message, rather than building a client that would
# refuse every update.
function(vendrix_read_update_key file variable)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "update key: ${file} does not exist")
    endif()
    file(READ "${file}" pem)
    if(NOT pem MATCHES "-----BEGIN PUBLIC KEY-----[\r\n]+([A-Za-z0-9+/=\r\n]+)-----END PUBLIC KEY-----")
        message(FATAL_ERROR "update key: ${file} holds no public key in PEM form "
            "(make it with: openssl pkey -in PRIVATE-KEY -pubout -out ${file})")
    endif()
    string(REGEX REPLACE "[\r\n]" "" base64 "${CMAKE_MATCH_1}")
    if(NOT base64 MATCHES "^MCowBQYDK2VwAyEA[A-Za-z0-9+/]+=$")
        message(FATAL_ERROR "update key: ${file} is not an Ed25519 public key")
    endif()
    string(LENGTH "${base64}" length)
    if(NOT length EQUAL 60)
        message(FATAL_ERROR "update key: ${file} is not an Ed25519 public key")
    endif()
    set(${variable} "${base64}" PARENT_SCOPE)
endfunction()
