# Writes DIR/SHA256SUMS in the form sha256sum -c reads: "hash  name" a line.
set(text "")
string(REPLACE "," ";" names "${FILES}")
foreach(name ${names})
    file(SHA256 ${DIR}/${name} hash)
    string(APPEND text "${hash}  ${name}\n")
endforeach()
file(WRITE ${DIR}/SHA256SUMS "${text}")
