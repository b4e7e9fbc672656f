#!/usr/bin/env bash
# Makes a throw-away certificate authority and a server certificate signed by it, for the
# TLS tests: DIR/ca.pem, DIR/server.pem, DIR/server.key. Usage: make_ca.sh DIR [NAME...]; the
# server's names (the first is its common name) are by default servidor.teste, localhost,
# 127.0.0.1 and ::1.
set -euo pipefail
dir=$1
shift
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(servidor.teste localhost 127.0.0.1 ::1)
san=""
for name in "${names[@]}"; do
  if [[ $name =~ ^[0-9.]+$ || $name == *:* ]]; then san+=",IP:$name"; else san+=",DNS:$name"; fi
done
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Autoridade de teste" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj "/CN=${names[0]}" 2>/dev/null
printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "${san#,}" > ext.cnf
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 \
  -extfile ext.cnf 2>/dev/null
