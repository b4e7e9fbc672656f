#!/usr/bin/env bash
# Makes a throw-away certificate authority and a server certificate signed by it, for the
# TLS tests: DIR/ca.pem, DIR/server.pem, DIR/server.key. The server's names: localhost,
# servidor.teste, 127.0.0.1 and ::1.
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Autoridade de teste" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=servidor.teste" 2>/dev/null
printf 'subjectAltName=DNS:localhost,DNS:servidor.teste,IP:127.0.0.1,IP:::1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > ext.cnf
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 \
  -extfile ext.cnf 2>/dev/null
