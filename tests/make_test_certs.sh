#!/bin/sh
# Makes the certificates the TLS tests use, valid for two days, into DIR: a CA, a certificate it
# signs for localhost and one for another name, a self-signed one for localhost, a second CA, and
# the key pin of the self-signed one. Nothing of it is committed, so nothing committed expires.
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1.key" 2>/dev/null; }
ca() {
    key "$1"
    openssl req -x509 -new -key "$1.key" -subj "/CN=$1" -days 2 -out "$1.pem" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign
}
# signed NAME CA HOST
signed() {
    key "$1"
    openssl req -new -key "$1.key" -subj "/CN=$3" -out "$1.csr"
    printf 'subjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\n' "$3" >"$1.ext"
    openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial -days 2 \
        -extfile "$1.ext" -out "$1.pem" 2>/dev/null
}
ca test-ca
ca other-ca
signed localhost test-ca localhost
signed other-name test-ca camera.invalid
key self-signed
openssl req -x509 -new -key self-signed.key -subj /CN=localhost -days 2 -out self-signed.pem \
    -addext subjectAltName=DNS:localhost
printf 'sha256//%s' "$(openssl x509 -in self-signed.pem -pubkey -noout |
    openssl pkey -pubin -outform DER | openssl dgst -sha256 -binary | base64)" >self-signed.pin
