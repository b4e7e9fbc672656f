#!/usr/bin/env bash
# Installs the Debian package as a user would (apt-get install ./fonix_*.deb), runs the
# installed clipora-light and fonix headless from fresh homes, as root and as a plain user,
# checks that they took their data from the installation, checks the manual pages, the
# desktop entry and the AppStream file, upgrades over a used home, then removes the
# package and checks that the users' files are untouched. Usage: install_test.sh DEB (root).
set -u
[ $# = 1 ] && [ -f "$1" ] || { echo "uso: install_test.sh PACOTE.deb"; exit 2; }
deb=$(realpath "$1")
[ "$(id -u)" = 0 ] || { echo "FALHOU: instalar o pacote precisa de root"; exit 1; }
installed() { dpkg-query -W -f='${Status}' fonix 2>/dev/null | grep -q 'install ok installed'; }
if installed; then
  echo "FALHOU: o pacote fonix já está instalado nesta máquina; este teste o instalaria e removeria"
  exit 1
fi
work=$(mktemp -d)
chmod 755 "$work"
export DEBIAN_FRONTEND=noninteractive
cleanup() {
  installed && apt-get -o DPkg::Lock::Timeout=600 remove -y fonix >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
failed=0
fail() { echo "FALHOU: $*"; failed=1; }
share=/usr/share/fonix

apt-get -o DPkg::Lock::Timeout=600 install -y "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install"; exit 1; }
[ "$(command -v clipora-light)" = /usr/bin/clipora-light ] || fail "clipora-light não está no PATH"
[ "$(command -v fonix)" = /usr/bin/fonix ] || fail "fonix não está no PATH"
for d in letras difones sonora clipora-light/som; do
  [ -n "$(ls -A "$share/$d" 2>/dev/null)" ] || fail "dados instalados ausentes: $share/$d"
done

# run USER HOME KEYS PROGRAM [ARGS]: one start in a bare environment, from /, as a user would
# start it from a terminal's PATH (no FONIX_*_DATA, no build tree). Status in $status.
run() {
  local user=$1 home=$2 keys=$3
  shift 3
  rm -f "$home/transcript"
  (cd / && runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
    FONIX_CONSOLE=headless FONIX_AUDIO=null FONIX_KEYS="$keys" FONIX_TRANSCRIPT="$home/transcript" \
    timeout 120 "$@" >"$home/stdout" 2>"$home/stderr")
  status=$?
}
expect() { grep -qxF -- "$2" "$1/transcript" 2>/dev/null || fail "$(basename "$1"): esperado \"$2\""; }
expect_some() { grep -q -- "$2" "$1/transcript" 2>/dev/null || fail "$(basename "$1"): nenhum \"$2\" (dados de fala não achados?)"; }

# A clipora-light start that leaves at once (an empty search), and what it must have found:
# a start without its speech data ends with "end: error 0" at once.
check_clipora() {
  local user=$1 home=$2
  run "$user" "$home" "{ENTER}" clipora-light
  [ "$status" = 0 ] || { fail "$user: clipora-light saiu com $status"; cat "$home/stderr"; }
  expect "$home" "line: Clipora-light V14"
  expect "$home" "say: 14"
  expect "$home" 'wav: C:\CLIPORA-LIGHT\SOM\CLINIC.WAV'
  expect "$home" "line: Até logo."
  expect "$home" "end: normal"
  local c=$home/.local/share/fonix/c
  [ -f "$c/orbis/som/difones/DIFONES2.IND" ] || fail "$user: base de difones ausente no drive C"
  [ "$(ls "$c/orbis/som/letras" | wc -l)" -ge "$(ls "$share/letras" | wc -l)" ] || fail "$user: letras incompletas no drive C"
  [ -f "$c/clipora-light/clipora-light.cfg" ] || fail "$user: configuração do aplicativo não criada"
  [ -x "$c/clipora-light/tocador" ] || fail "$user: o tocador não foi copiado executável"
  cmp -s "$c/clipora-light/som/clinic.wav" "$share/clipora-light/som/clinic.wav" || fail "$user: sons do aplicativo diferentes dos instalados"
}

# root: data the user can change is copied, so drive C holds copies of the installation's.
roothome=$work/root
mkdir -p "$roothome"
check_clipora root "$roothome"
diff -r "$share/letras" "$roothome/.local/share/fonix/c/orbis/som/letras" >/dev/null || fail "root: letras diferentes das instaladas"

# A plain user: read-only data is linked, which shows where it was found.
userhome=$work/user
mkdir -p "$userhome"
chown nobody "$userhome"
check_clipora nobody "$userhome"
for f in orbis/som/letras/_65.wav orbis/som/difones/DIFONES2.DIF clipora-light/som/04.wav; do
  target=$(readlink "$userhome/.local/share/fonix/c/$f")
  [[ $target == "$share/"* ]] || fail "nobody: c:\\${f//\//\\} aponta para \"$target\", não para $share"
done

# fonix runs a program file from the PATH and speaks with every kind of installed data: the
# diphone voice, a recorded word, recorded characters.
printf 'escreve "Olá do fonix"\nfala "14"\nsoletra "ab"\n' >"$work/ola.fnx"
chmod 644 "$work/ola.fnx"
run nobody "$userhome" "" fonix "$work/ola.fnx"
[ "$status" = 0 ] || fail "fonix saiu com $status: $(cat "$userhome/stderr")"
for event in "line: Olá do fonix" "phrase: OLÁ DO FONIX " "word: _quatorz" "char: 97" "end: normal"; do
  expect "$userhome" "$event"
done
# With Sonora chosen in its settings, fonix speaks through the installed synthesizer library
# and its voice: the capture file is the synthesizer's 16000 Hz speech.
sonorahome=$work/sonora-home
mkdir -p "$sonorahome/.config/Auris"
printf '[TRADUTOR]\r\nSAPI=S\r\n[SERVFALA]\r\nTIPOSAPI=3\r\n' >"$sonorahome/.config/Auris/Auris.ini"
chown -R nobody "$sonorahome"
(cd / && runuser -u nobody -- env -i PATH=/usr/bin:/bin HOME="$sonorahome" LANG=C.UTF-8 FONIX_CONSOLE=headless \
  FONIX_AUDIO="capture:$sonorahome/fala.wav" timeout 120 fonix "$work/ola.fnx" >/dev/null 2>"$sonorahome/stderr")
rate=$(od -An -tu4 -j24 -N4 "$sonorahome/fala.wav" 2>/dev/null | tr -d ' ')
size=$(stat -c %s "$sonorahome/fala.wav" 2>/dev/null || echo 0)
[ "$rate" = 16000 ] && [ "$size" -gt 32000 ] ||
  fail "Sonora instalado não falou: taxa ${rate:-nenhuma}, $size bytes; $(cat "$sonorahome/stderr")"
# and its manual pages are there.
for page in fonix clipora-light; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man $page: $(man -w "$page" 2>&1)"
  [ "$(man -L pt -w "$page")" = "/usr/share/man/pt/man1/$page.1.gz" ] || fail "man -L pt $page: $(man -L pt -w "$page" 2>&1)"
done
MANWIDTH=80 man -P cat clipora-light 2>/dev/null | grep -q "EXIT STATUS" || fail "man clipora-light não mostra a página"
MANWIDTH=80 man -L pt -P cat clipora-light 2>/dev/null | grep -q "EXEMPLOS" || fail "man -L pt clipora-light não mostra a página"
desktop-file-validate /usr/share/applications/br.org.fonix.CliporaLight.desktop >"$work/df.log" 2>&1 ||
  { cat "$work/df.log"; fail "entrada de menu inválida"; }
appstreamcli validate --no-net /usr/share/metainfo/br.org.fonix.CliporaLight.metainfo.xml >"$work/as.log" 2>&1 ||
  { cat "$work/as.log"; fail "metadados AppStream inválidos"; }
[ -f /usr/share/icons/hicolor/scalable/apps/br.org.fonix.CliporaLight.svg ] || fail "ícone ausente"

# The user's own files: settings, history, a file of theirs on drive C.
sleep 3  # the local search service ends two seconds after its last instance
c=$userhome/.local/share/fonix/c
mkdir -p "$userhome/.config/Auris"
printf '[TRADUTOR]\r\nVELOCIDADE=4\r\n' >"$userhome/.config/Auris/Auris.ini"
printf 'tom jobim\r\n' >"$c/clipora-light/clpsq"
echo "meu arquivo" >"$c/meu.txt"
chown -R nobody "$userhome"
# Every file of theirs but what the application rewrites at each start (ambiente, temp).
sums() {
  (cd "$userhome" && find .config .local -type f ! -name ambiente ! -path '*/temp/*' -print0 |
    LC_ALL=C sort -z | xargs -0 md5sum)
}
sums >"$work/before"

# An upgrade (the same package under a newer version) keeps them, and the next start reads
# the history.
dpkg-deb -R "$deb" "$work/next"
sed -i 's/^Version: .*/&+1/' "$work/next/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/next" "$work/fonix_next.deb" >/dev/null
apt-get -o DPkg::Lock::Timeout=600 install -y "$work/fonix_next.deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "atualização"; }
[[ $(dpkg-query -W -f='${Version}' fonix) == *+1 ]] || fail "a atualização não instalou a versão nova"
sums | diff "$work/before" - || fail "a atualização mudou arquivos do usuário"
run nobody "$userhome" "{DOWN}{DOWN}{ESC}" clipora-light
[ "$status" = 0 ] || fail "clipora-light depois da atualização saiu com $status"
expect "$userhome" "say: tom jobim"
expect "$userhome" "line: Até logo."
sleep 3
sums >"$work/before"

# Removing the package takes its files and leaves the users'.
apt-get -o DPkg::Lock::Timeout=600 remove -y fonix >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get remove"; }
! installed || fail "o pacote continua instalado"
# No configuration files are left behind either (dpkg forgets the package entirely).
if dpkg-query -W fonix >/dev/null 2>&1; then
  state=$(dpkg-query -W -f='${db:Status-Status}' fonix)
  [ "$state" = not-installed ] || fail "o pacote deixou restos: $state"
fi
for f in /usr/bin/fonix /usr/bin/clipora-light $share /usr/share/man/man1/fonix.1.gz; do
  [ ! -e "$f" ] || fail "a remoção deixou $f"
done
sums | diff "$work/before" - || fail "a remoção mudou arquivos do usuário"
exit $failed
