# The end-to-end cases of Clipora-light (sourced by run_e2e.sh): each a function named
# case_NAME that runs clipora-light one or more times and checks what it said, wrote and did.

R1="Resultado 1 de tom jobim - 1:01 por Canal 1"
R2="Resultado 2 de tom jobim - 2:02 por Canal 2"

case_first_search() {
  run "tom jobim{ENTER}{DOWN}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Clipora-light V14" "say: 14" "line: Digite o que procura" "line: tom jobim" \
    "line: Aguarde" "line: Registros lidos: 20" "say: 20" "say: $R1" "say: $R2" "line: Qual sua busca?" \
    "say: Nova pesquisa" "line: Até logo."
  expect_not "say: Fim do script"
  expect "end: normal"
  expect_grep "ytsearch20:tom jobim" "$FAKE_DIR/downloader.log"
  [ "$(cat "$drive/clipora-light/clpsq")" = $'tom jobim\r' ] || fail "histórico: $(od -c "$drive/clipora-light/clpsq" | head -3)"
  expect_grep "^dirdownloads=z:.*\\\\Downloads" "$app/clipora-light.cfg"
  expect_grep "^toc=#13,c:\\\\clipora-light\\\\tocador" "$app/clipora-light.cfg"
  [ -d "$downloads" ] || fail "a pasta de downloads do usuário não foi criada"
}

case_empty_first_search() {
  run "{ENTER}"
  expect_status 0
  expect "line: Até logo."
  expect_not "say: Fim do script"
  [ ! -f "$app/clpsq" ] || fail "uma pesquisa vazia entrou no histórico"
}

case_paging() {
  echo 45 >"$FAKE_DIR/total"
  run "tom jobim{ENTER}{TAB}{BACKSPACE}{TAB}{TAB}{TAB}{BACKSPACE}{ESC}{ESC}"
  expect_status 0
  expect_order "say: $R1" "line: Página 2" "say: 2" "say: Resultado 21 de tom jobim - 0:21 por Canal 21" \
    "line: Página 1" "say: $R1" "line: Página 2" "say: Resultado 21 de tom jobim - 0:21 por Canal 21" \
    "line: Página 3" "say: Resultado 41 de tom jobim - 6:41 por Canal 41" \
    "line: Página 4" "line: Nenhum resultado foi encontrado." "line: Página 3" \
    "line: Página 2"
  # Page 2 asked for two pages' worth, page 3 for three; page 2 the second time came from its file.
  [ "$(grep -o 'ytsearch[0-9]*' "$FAKE_DIR/downloader.log" | tr '\n' ' ')" = "ytsearch20 ytsearch40 ytsearch60 ytsearch80 " ] ||
    fail "pedidos: $(grep -o 'ytsearch[0-9]*' "$FAKE_DIR/downloader.log" | tr '\n' ' ')"
}

case_play() {
  run "tom jobim{ENTER}{DOWN}{ENTER}5{ESC}{ESC}"
  expect_status 0
  expect_grep "^-f|mp4|-e|-g|--|https://www.youtube.com/watch?v=vid00000002$" "$FAKE_DIR/downloader.log"
  [ "$(cat "$FAKE_DIR/player.log")" = "https://stream.invalid/vid00000002.mp4" ] ||
    fail "o tocador recebeu: $(cat "$FAKE_DIR/player.log" 2>/dev/null)"
  expect "line: Não há tocador associado a esta tecla."
}

case_player_markers() {
  # Key 3: a format and the watch address itself; key 4: hidden, with the format best.
  mkdir -p "$app"
  run "{ESC}"
  sed -i 's/^toc=3,.*/toc=3,c:\\clipora-light\\tocador --noytdl/; s/^toc=4,.*/toc=4,c:\\clipora-light\\tocador -m -formato=best/' \
    "$app/clipora-light.cfg"
  run "x{ENTER}3{DOWN}4{WAIT 3000}{ESC}{ESC}{ESC}"
  sleep 1
  expect_grep "^https://www.youtube.com/watch?v=vid00000001$" "$FAKE_DIR/player.log"
  expect_grep "^https://stream.invalid/vid00000002.mp4$" "$FAKE_DIR/player.log"
  expect_grep "^-f|best|-e|-g|--|https://www.youtube.com/watch?v=vid00000002$" "$FAKE_DIR/downloader.log"
}

case_details() {
  run "tom jobim{ENTER}{DOWN}i{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{ESC}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Leia com setas para cima e para baixo." "say: Título: $R2" \
    'say: Autor: João "Jota" Silva' "say: Duração: 2 minutos e 5 segundos" "say: Visualizações: 1234567" \
    "say: Data de publicação: 7 de fevereiro de 2019" "say: Gostaram: " "say: Não gostaram: " "say: Descrição:" \
    'say: Primeira linha com "aspas" e acentuação.' 'say: Segunda linha \n literal — fim ? é aqui.' "say: $R2"
  expect_grep "^-j|--|https://www.youtube.com/watch?v=vid00000002$" "$FAKE_DIR/downloader.log"
}

case_details_garbage() {
  printf 'WARNING: nada\nnão é json\n' >"$FAKE_DIR/video.json"
  run "tom jobim{ENTER}i{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  expect "line: Não foi possível obter as informações do vídeo."
}

case_save_mp4() {
  make_video
  # Enter while nothing is printed yet, then while the second of three steps is the newest:
  # the downloader's steps follow what the program has said (FAKE_SYNC).
  export FAKE_SYNC=1
  run "tom jobim{ENTER}s{ENTER}{WAIT 8000}{ENTER}{UNTIL Download do vídeo concluído}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Salvando vídeo " "line: Download do vídeo concluído."
  expect_file "$downloads/Resultado 1 de tom jobim - 1 01 por Canal 1.mp4"
  expect_order "line: Salvando vídeo " "line: Aperte enter novamente." "line: $R1" \
    "line: 55.5% de 1.00MiB velocidade 512.00KiB/s tempo estimado 00:02" "line: Download do vídeo concluído."
}

case_save_mp3() {
  make_video
  run "tom jobim{ENTER}{DOWN}m{UNTIL Conversão concluída}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Salvando no formato mp3" "line: Baixando o vídeo" "line: Download do vídeo concluído." \
    "line: Convertendo o vídeo para mp3" "line: Conversão concluída."
  local mp3="$downloads/Resultado 2 de tom jobim - 2 02 por Canal 2.mp3"
  expect_file "$mp3"
  [ ! -f "${mp3%.mp3}.mp4" ] || fail "o MP4 ficou depois da conversão"
  ffprobe -loglevel error -show_entries stream=codec_name -of csv=p=0 "$mp3" | grep -qx mp3 || fail "não é MP3"
}

case_save_failed() {
  touch "$FAKE_DIR/no-file"
  run "tom jobim{ENTER}m{UNTIL O vídeo não foi baixado}{ESC}{ESC}"
  expect_status 0
  expect "line: Erro. O vídeo não foi baixado."
  expect_not "line: Convertendo o vídeo para mp3"
}

case_help_menu() {
  make_video
  # The eighth entry of the help menu acts as the key "m".
  run "tom jobim{ENTER}{F1}{F9}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{DOWN}{ENTER}{UNTIL Conversão concluída}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Opções:" "line: F9: mostra lista de opções." "line: Escolha a opção com as setas e tecle Enter" \
    "say: m: salva o vídeo selecionado como áudio mp3" "line: Salvando no formato mp3" "line: Conversão concluída." \
    "say: $R1"
  expect_file "$downloads/Resultado 1 de tom jobim - 1 01 por Canal 1.mp3"
}

case_panel_edit() {
  run "{ENTER}"
  # With no history the new-search prompt comes first; "." opens the panel.
  run ".{ENTER}{DOWN}{ENTER}{END}{BACKSPACE}{BACKSPACE}5{ENTER}{ESC}tom jobim{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  # "Valor alterado." is written on the edited value's row, after it.
  expect_order "line: Painel de configuração." "say: Diretório padrão de download: $(grep ^dirdownloads= "$app/clipora-light.cfg" | cut -d= -f2- | tr -d '\r')" \
    "say: limite de resultados por pesquisa:20" "line: Edite o valor" "say: Valor alterado." \
    "line: Painel de configuração." "line: Registros lidos: 5"
  expect_grep "^quantosporbusca=5" "$app/clipora-light.cfg"
  expect_grep "^#Define o limite de resultados por pesquisa" "$app/clipora-light.cfg"
  [ "$(grep -c . "$app/clipora-light.cfg")" = 30 ] || fail "a configuração perdeu ou ganhou linhas"
}

case_config_by_hand() {
  # Keys missing, reordered and commented out; the panel shows what the file holds.
  printf '%s\r\n' "toc=#13,c:\\clipora-light\\tocador" "mp3_bitrate=64000" "#quantosporbusca=99" \
    "quantosporbusca=3" "dirdownloads=z:\\tmp" >"$app/clipora-light.cfg"
  run ".{ENTER}{DOWN}{DOWN}{DOWN}{ENTER}{END}{BACKSPACE}{BACKSPACE}{BACKSPACE}{BACKSPACE}{BACKSPACE}{BACKSPACE}1{ENTER}{ESC}abc{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  expect "say: limite de resultados por pesquisa:3"
  expect "say: Número de canais para os áudios mp3: "
  expect "line: Registros lidos: 3"
  expect_grep "^mp3_channels=1" "$app/clipora-light.cfg"
  expect_grep "^mp3_bitrate=64000" "$app/clipora-light.cfg"
  expect_grep "^#quantosporbusca=99" "$app/clipora-light.cfg"
}

case_history() {
  run "primeira{ENTER}{WAIT 3000}{ESC}{ESC}"
  run "{DOWN}{DOWN}{ENTER}{WAIT 3000}{ESC}{DOWN}{ENTER}{ENTER}"
  expect_status 0
  expect_order "line: Qual sua busca?" "say: Nova pesquisa" "say: Apagar histórico de pesquisa" "say: primeira" \
    "say: Resultado 1 de primeira - 1:01 por Canal 1" "line: Qual sua busca?" "say: Apagar histórico de pesquisa" \
    "line: Digite o que procura" "line: Até logo."
  [ ! -f "$app/clpsq" ] || fail "o histórico não foi apagado"
}

case_history_odd_file() {
  { for i in $(seq 1 10000); do echo "busca $i"; done; printf 'bin\x00\x01\xff\xfe\r\n\r\n'; } >"$app/clpsq"
  run "{END}{ENTER}{ESC}{ESC}"
  expect_status 0
  expect "say: Nova pesquisa"
  expect_grep "^busca 10000" "$app/clpsq"
}

case_pasted_link() {
  run "https://www.youtube.com/watch?v=abcdefghijk{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Registros lidos: 1" "say: 1" "say: Título do vídeo abcdefghijk"
  [ "$(searches)" = 0 ] || fail "o link colado passou pela pesquisa"
  expect_grep "^-e|--|https://www.youtube.com/watch?v=abcdefghijk$" "$FAKE_DIR/downloader.log"
}

case_downloader_fails() {
  touch "$FAKE_DIR/fails"
  run "tom jobim{ENTER}n{ESC}{ESC}"
  expect_status 0
  expect_order "line: O baixador de vídeos falhou: nada feito" "line: Aperte y para atualizar o baixador." \
    "line: Qual sua busca?" "line: Até logo."
  expect_not "line: Nenhum resultado foi encontrado."
}

# Each way a search fails is heard as its own sentence; no results is not a failure.
case_search_failures() {
  printf '%s\n' "WARNING: [youtube] lento" \
    "ERROR: [youtube] x: Unable to download API page: <urlopen error [Errno -3] Temporary failure in name resolution>" \
    >"$FAKE_DIR/fails"
  run "tom jobim{ENTER}{ENTER}{ESC}{ESC}"
  expect_order "line: Aguarde" "line: Sem conexão com a internet: o site de vídeos não pôde ser alcançado. Verifique sua rede e tente outra vez." \
    "line: Qual sua busca?"
  expect_not "line: Aperte y para atualizar o baixador."
  echo "ERROR: [youtube:search] tom: Sign in to confirm you're not a bot. Use --cookies-from-browser" >"$FAKE_DIR/fails"
  run "{DOWN}{DOWN}{ENTER}{WAIT 3000}n{ESC}{ESC}"
  expect_order "line: O baixador de vídeos falhou: Sign in to confirm you're not a bot" \
    "line: Aperte y para atualizar o baixador." "line: Qual sua busca?"
  rm -f "$FAKE_DIR/fails"
  echo 0 >"$FAKE_DIR/total"
  run "{DOWN}{DOWN}{ENTER}{WAIT 3000}{ENTER}{ESC}{ESC}"
  expect_order "line: Nenhum resultado foi encontrado." "line: Qual sua busca?"
  expect_not "line: O baixador de vídeos falhou."
  # A downloader that is not a program at all.
  printf 'não é um programa\n' >"$app/youtube-dl.exe"
  run "{DOWN}{DOWN}{ENTER}{WAIT 3000}n{ESC}{ESC}"
  expect_order "line: O baixador de vídeos não está instalado ou não funciona." \
    "line: Aperte y para atualizar o baixador." "line: Qual sua busca?"
}

# Play, details and save that fail say why after their own message.
case_video_failures() {
  echo "ERROR: [youtube] vid00000001: Video unavailable. This video is private" >"$FAKE_DIR/fails-video"
  run "tom jobim{ENTER}{ENTER}{WAIT 3000}i{WAIT 3000}{ESC}{ESC}"
  expect_order "line: Não foi possível obter o endereço do vídeo. Tente outra vez ou atualize o youtube-dl com a tecla y." \
    "line: O baixador de vídeos falhou: Video unavailable" "line: Não foi possível obter as informações do vídeo." \
    "line: O baixador de vídeos falhou: Video unavailable"
  # The download folder is gone: nothing is fetched, and the reason is the folder.
  rm -f "$FAKE_DIR/fails-video" "$FAKE_DIR/fails"
  sed -i 's/^dirdownloads=.*/dirdownloads=z:\\nao\\existe\r/' "$app/clipora-light.cfg"
  run "{DOWN}{DOWN}{ENTER}{WAIT 3000}s{WAIT 3000}{ESC}{ESC}"
  expect_order "line: Erro. O vídeo não foi baixado." \
    "line: Não foi possível gravar na pasta de downloads: o disco está cheio ou a pasta não permite gravação."
  [ "$(grep -c -- '-o|' "$FAKE_DIR/downloader.log")" = 0 ] || fail "baixou sem ter onde gravar"
}

case_odd_search_text() {
  run "tom & jerry #1 \"100%\" + é{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  expect_grep 'ytsearch20:tom & jerry #1 "100%" + é$' "$FAKE_DIR/downloader.log"
  expect "say: Resultado 1 de tom & jerry #1 \"100%\" + é - 1:01 por Canal 1"
}

case_second_instance_shares_service() {
  run "{ENTER}"
  local first; first=$(grep ^busca= "$app/ambiente" | tr -d '\r')
  FONIX_KEYS="um{ENTER}{WAIT 5000}{ESC}{ESC}" FONIX_TRANSCRIPT="$work/t2" timeout 60 "$clipora" >/dev/null 2>&1 &
  local other=$!
  sleep 2
  run "n{WAIT 300}dois{ENTER}{WAIT 3000}{ESC}{ESC}"
  wait $other
  [ "$(grep ^busca= "$app/ambiente" | tr -d '\r')" != "" ] || fail "sem endereço do serviço"
  [ "$(pgrep -fc "clipora-servico --fd 3 --c $drive")" -le 1 ] || fail "mais de um serviço para o mesmo drive"
  expect "say: Resultado 1 de dois - 1:01 por Canal 1"
  sleep 3
  [ "$(pgrep -fc "clipora-servico --fd 3 --c $drive")" = 0 ] || fail "o serviço ficou depois da última instância"
  : "$first"
}

# The release site of the downloader on 127.0.0.N (a throw-away authority, FONIX_RESOLVE for
# the runtime, https_proxy for wget); its new downloader prints the new version.
start_release_site() {
  local n=$((RANDOM % 200 + 20))
  site_address="127.0.0.$n"
  bash "$here/../../support/make_ca.sh" "$work/ca" github.com
  # The new downloader prints the new version whatever the fixtures say; Debian's stays.
  sed 's/cat "$FAKE_DIR\/version" 2>\/dev\/null || echo 2023.03.04/echo 2026.08.19/' "$here/fake_downloader.sh" \
    >"$work/new-downloader"
  [ -n "${site_downloader:-}" ] && cp "$site_downloader" "$work/new-downloader"
  rm -f "$FAKE_DIR/version"
  # deno's release: an archive whose deno says its version.
  mkdir -p "$work/deno-build"
  printf '#!/bin/sh\necho "deno 2.5.6 (stable, release, x86_64-unknown-linux-gnu)"\n' >"$work/deno-build/deno"
  chmod +x "$work/deno-build/deno"
  (cd "$work/deno-build" && python3 -m zipfile -c "$work/deno.zip" deno)
  python3 "$here/../../support/http_server.py" --address "$site_address" --port 443 --proxy-port 8080 \
    --cert "$work/ca/server.pem" --key "$work/ca/server.key" --release "$work/new-downloader" \
    --deno-zip "$work/deno.zip" --log "$work/site.log" --log-lines --ready "$work/site.ready" \
    --lifetime 3600 >/dev/null 2>"$work/site.err" &
  site_pid=$!
  for _ in $(seq 100); do [ -f "$work/site.ready" ] && break; sleep 0.1; done
  [ -f "$work/site.ready" ] || fail "o site de versões não começou: $(cat "$work/site.err")"
  export FONIX_RESOLVE="github.com:443:$site_address" SSL_CERT_FILE="$work/ca/ca.pem"
  export https_proxy="http://$site_address:8080" no_proxy="127.0.0.1,localhost"
}
stop_release_site() { kill "$site_pid" 2>/dev/null; wait "$site_pid" 2>/dev/null; }

case_update_manual() {
  start_release_site
  run "{UNTIL Deseja atualizar}n{UNTIL Digite o que procura}.atu_ytdl{ENTER}{UNTIL Deseja atualizar}s{UNTIL Youtube-dl atualizado}{UNTIL Digite o que procura}{ENTER}"
  expect_status 0
  expect_order "line: Procurando atualização parao youtube-dl. Aguarde." \
    "line: Está disponível uma versão mais atualizada do youtube-dl." \
    "line: Versão presente na sua máquina: 2023.03.04" \
    "line: Última versão disponível no repositório do youtube-dl: 2026.08.19" \
    "line: Deseja atualizar o youtube-dl agora?" "line: Baixando youtube-dl." "line: Youtube-dl atualizado." \
    "line: Digite o que procura" "line: Até logo."
  expect_grep "GET /yt-dlp/yt-dlp/releases/ netaria" "$work/site.log"
  expect_grep "CONNECT github.com:443" "$work/site.log"
  expect_grep "GET /yt-dlp/yt-dlp/releases/download/2026.08.19/yt-dlp_linux" "$work/site.log"
  [ "$("$app/youtube-dl.exe" --version)" = 2026.08.19 ] || fail "o youtube-dl não foi trocado"
  [ ! -e "$app/ytdltmp" ] || fail "ytdltmp ficou"
  # Up to date now: the same check says so.
  run "{UNTIL Digite o que procura}.atu_ytdl{ENTER}{UNTIL Youtube-dl versão}{UNTIL Digite o que procura}{ENTER}"
  expect "line: Sua versão do youtube-dl já está atualizada."
  expect "line: Youtube-dl versão 2026.08.19"
  stop_release_site
}

case_update_missing_downloader() {
  # No downloader: said at start and refused there, it is fetched (by the tag the start check
  # read) before a pasted link is read.
  rm -f "$app/youtube-dl.exe"
  # A machine without Debian's yt-dlp, so that the first start links none.
  mkdir -p "$work/bin"
  ln -s /usr/bin/* "$work/bin/" 2>/dev/null
  rm -f "$work/bin/yt-dlp"
  export PATH="$work/bin"
  start_release_site
  run "{UNTIL Deseja atualizar}n{UNTIL Digite o que procura}https://www.youtube.com/watch?v=abcdefghijk{ENTER}{UNTIL Título do vídeo}{ESC}{ESC}"
  expect_order "line: O baixador de vídeos não está instalado." "line: Deseja atualizar o youtube-dl agora?" \
    "line: O baixador não foi atualizado. Aperte y nos resultados ou no histórico para atualizar depois." \
    "line: Digite o que procura"
  expect_status 0
  expect_order "line: Baixando youtube-dl." "line: Youtube-dl atualizado." "say: Título do vídeo abcdefghijk"
  expect_grep "GET /yt-dlp/yt-dlp/releases/\(latest/\)\?download/.*yt-dlp_linux" "$work/site.log"
  stop_release_site
}

case_update_site_down() {
  # The release site cannot be reached: the check says so and nothing is replaced.
  rm -f "$FAKE_DIR/version"
  export FONIX_RESOLVE="github.com:443:127.0.0.1" SSL_CERT_FILE=/nonexistent
  run "{UNTIL Digite o que procura}.atu_ytdl{ENTER}{UNTIL Procurando atualização}{UNTIL Digite o que procura}{ENTER}"
  expect_status 0
  # At start (Debian's downloader) and when asked for: the search is reached all the same.
  expect_order "line: O baixador de vídeos desta máquina é antigo demais para o YouTube." \
    "line: Não foi possível verificar a versão mais nova do youtube-dl." "line: Digite o que procura" \
    "line: Procurando atualização parao youtube-dl. Aguarde." "line: Não foi possível verificar a versão mais nova do youtube-dl."
  [ "$("$app/youtube-dl.exe" --version)" = 2023.03.04 ] || fail "o youtube-dl mudou"
}

case_save_ask_name() {
  # "?" as the download folder: the name is edited first; Esc cancels, Enter saves in the
  # folder that was current at the start.
  make_video
  run "{ENTER}"
  sed -i 's/^dirdownloads=.*/dirdownloads=?\r/' "$app/clipora-light.cfg"
  mkdir -p "$work/inicio"
  (cd "$work/inicio" && run "tom jobim{ENTER}s{WAIT 8000}{ESC}{WAIT 2000}m{WAIT 8000}{ENTER}{UNTIL Conversão concluída}{ESC}{ESC}")
  run_status=$(tail -1 "$work/transcript")
  [ "$run_status" = "end: normal" ] || fail "fim: $run_status"
  # The edited name stays on its row, so what is written next follows it on the same line.
  expect_order "line: Salvando vídeo " "line: Edite o nome do arquivo. Enter confirma, esc cancela." \
    "say: Salvando no formato mp3" "line: Edite o nome do arquivo. Enter confirma, esc cancela." \
    "line: Conversão concluída."
  [ "$(grep -c -- '-f|mp4|-o' "$FAKE_DIR/downloader.log")" = 1 ] || fail "o cancelamento baixou assim mesmo"
  expect_file "$work/inicio/Resultado 1 de tom jobim - 1 01 por Canal 1.mp3"
}

# The file name the application makes of a menu text (what a name may not hold replaced).
safe_name() {
  local n=$1
  n=${n//:/ }; n=${n//\?/ }; n=${n//\//-}; n=${n//</ }; n=${n//>/ }; n=${n//|/ }; n=${n//\"/-}; n=${n//\\/-}
  printf '%s' "${n//\*/ }"
}

case_hostile_pasted_link() {
  # A link from a chat message: every text made of it stays one argument on every command
  # line (the title, the player's stream address, the details, the MP4 and MP3 names).
  make_video
  local link="https://www.youtube.com/watch?v=abcdefghijk\" & touch $work/pwned & \" | echo %HOME% ^& -o x"
  local id=${link##*v=}
  run "$link{ENTER}{ENTER}{WAIT 2000}i{WAIT 3000}{ESC}s{WAIT 8000}m{UNTIL Conversão concluída}{ESC}{ESC}"
  expect_status 0
  [ ! -e "$work/pwned" ] || fail "o link colado executou um comando"
  expect_call "$FAKE_DIR/downloader.argv" -e -- "$link"
  expect_call "$FAKE_DIR/downloader.argv" -f mp4 -e -g -- "$link"
  expect_call "$FAKE_DIR/player.argv" "https://stream.invalid/$id.mp4"
  expect_call "$FAKE_DIR/downloader.argv" -j -- "$link"
  local name; name=$(safe_name "Título do vídeo $id")
  expect_call "$FAKE_DIR/downloader.argv" -f mp4 -o "$downloads/${name//%/%%}.mp4" -- "$link"
  expect_order "say: Título do vídeo $id" "line: Leia com setas para cima e para baixo." "line: Download do vídeo concluído." \
    "line: Conversão concluída."
  expect_file "$downloads/$name.mp3"
}

case_hostile_search_text() {
  # A search text with each character a command line could take for its own: the title
  # made of it names the saved files.
  make_video
  local text='-o "x" & y | z % w ^ v'
  run "$text{ENTER}s{WAIT 8000}{DOWN}m{UNTIL Conversão concluída}{ESC}{ESC}"
  expect_status 0
  expect_call "$FAKE_DIR/downloader.argv" --ignore-config --no-warnings --flat-playlist --print \
    '%(title)s\%(id)s\%(duration_string|AO VIVO)s\%(channel,uploader|)s' -- "ytsearch20:$text"
  local one two
  one=$(safe_name "Resultado 1 de $text - 1:01 por Canal 1")
  two=$(safe_name "Resultado 2 de $text - 2:02 por Canal 2")
  expect_call "$FAKE_DIR/downloader.argv" -f mp4 -o "$downloads/${one//%/%%}.mp4" -- \
    "https://www.youtube.com/watch?v=vid00000001"
  expect_file "$downloads/$one.mp4"
  expect_file "$downloads/$two.mp3"
}

case_hostile_stream_address() {
  # The downloader's stream address reaches the player as one argument; one that is not
  # an address of the web is refused aloud and nothing is played.
  printf '%s\n' "https://stream.invalid/x.mp4\" --log-file=$work/mpv.log \"" >"$FAKE_DIR/stream"
  run "tom jobim{ENTER}{ENTER}{WAIT 2000}{ESC}{ESC}"
  expect_status 0
  expect_call "$FAKE_DIR/player.argv" "https://stream.invalid/x.mp4\" --log-file=$work/mpv.log \""
  [ "$(calls "$FAKE_DIR/player.argv" | wc -l)" = 1 ] || fail "chamadas do tocador: $(calls "$FAKE_DIR/player.argv")"
  printf '%s\n' "http:--log-file=$work/mpv.log" >"$FAKE_DIR/stream"
  run "{DOWN}{DOWN}{ENTER}{ENTER}{WAIT 2000}{ESC}{ESC}"
  expect "line: Endereço recusado: o vídeo só é aberto por um endereço que começa com http:// ou https://."
  [ "$(calls "$FAKE_DIR/player.argv" | wc -l)" = 1 ] || fail "um endereço recusado foi tocado"
}

case_hung_downloader_esc() {
  # A downloader that never answers: Esc ends it and the wait, with a word, on the pasted
  # link and on the search; the keys typed ahead of Esc are not lost.
  touch "$FAKE_DIR/hang"
  run "https://www.youtube.com/watch?v=abcdefghijk{ENTER}{WAIT 3000}{ESC}{WAIT 1000}{ESC}"
  expect_status 0
  expect_order "line: Aguarde" "line: Cancelado." "line: Qual sua busca?" "line: Até logo."
  sleep 1
  local pid
  for pid in $(cat "$FAKE_DIR/hang.pids"); do
    ! kill -0 "$pid" 2>/dev/null || fail "o youtube-dl parado ficou rodando ($pid)"
  done
  run "n{WAIT 300}tom jobim{ENTER}{WAIT 3000}{ESC}{WAIT 1000}{ESC}"
  expect_status 0
  expect_order "line: Aguarde" "line: Cancelado." "line: Qual sua busca?" "line: Até logo."
  expect_not "line: Nenhum resultado foi encontrado."
  # The search service's own downloader is still held: it goes with the case.
  kill $(cat "$FAKE_DIR/hang.pids") 2>/dev/null
}

case_full_disk_search() {
  # The work folder on a full disk (a small filesystem of the case's own, filled up): the
  # search says so instead of finding nothing.
  mkdir -p "$app/temp"
  FONIX_KEYS="tom jobim{ENTER}{WAIT 2000}{ENTER}{ESC}{ESC}" timeout 180 unshare -rm sh -c \
    'mount -t tmpfs -o size=64k tmpfs "$1" && mkdir "$1/cheio" && { cat /dev/zero >"$1/cheio/enche" 2>/dev/null; exec "$2"; }' \
    sh "$app/temp" "$clipora" >"$work/stdout" 2>"$work/stderr"
  status=$?
  expect_status 0
  expect_order "line: Aguarde" "line: Não há espaço livre no disco para guardar a pesquisa. Libere espaço e tente outra vez." \
    "line: Qual sua busca?"
  expect_not "line: Nenhum resultado foi encontrado."
}

# A machine without a JavaScript runtime the downloader can use (Debian 12's node is 18).
path_without_js() {
  mkdir -p "$work/bin"
  ln -s /usr/bin/* "$work/bin/" 2>/dev/null
  rm -f "$work/bin/yt-dlp" "$work/bin/node" "$work/bin/nodejs" "$work/bin/deno" "$work/bin/bun" "$work/bin/qjs"
  rm -f "$app/deno"
  export PATH="$work/bin"
}

case_first_start_updates() {
  # Debian's downloader on a fresh machine: said, fetched with deno, then the search.
  path_without_js
  start_release_site
  run "{UNTIL Deseja atualizar}s{UNTIL Digite o que procura}tom jobim{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Clipora-light V14" "line: O baixador de vídeos desta máquina é antigo demais para o YouTube." \
    "line: Procurando a versão mais nova do baixador. Aguarde." "line: Versão presente na sua máquina: 2023.03.04" \
    "line: Deseja atualizar o youtube-dl agora?" "line: Baixando youtube-dl." "line: Youtube-dl atualizado." \
    "line: Baixando o executor de JavaScript deno." \
    "line: Executor de JavaScript instalado: deno 2.5.6 (stable, release, x86_64-unknown-linux-gnu)" \
    "line: Digite o que procura" "say: $R1"
  [ "$("$app/youtube-dl.exe" --version)" = 2026.08.19 ] || fail "o youtube-dl não foi trocado"
  [ -x "$app/deno" ] || fail "o deno não foi posto ao lado do baixador"
  expect_grep "GET /denoland/deno/releases/latest/download/deno-x86_64-unknown-linux-gnu.zip" "$work/site.log"
  [ ! -e "$app/ytdltmp" ] && [ ! -e "$app/temp/deno.zip" ] || fail "arquivos de trabalho ficaram"
  # The next start finds everything current and says nothing of it (the search just made
  # is in the history, so the history's question comes).
  run "{UNTIL Qual sua busca}{ESC}"
  expect "line: Qual sua busca?"
  expect_not "line: Deseja atualizar o youtube-dl agora?"
  expect_not "line: Baixando o executor de JavaScript deno."
  stop_release_site
}

case_update_refused() {
  # Refused at start: the search is reached; its failure offers the update again with y.
  start_release_site
  touch "$FAKE_DIR/fails"
  run "{UNTIL Deseja atualizar}n{UNTIL Digite o que procura}tom jobim{ENTER}{UNTIL Aperte y para atualizar}y{UNTIL Deseja atualizar}s{UNTIL Youtube-dl atualizado}{UNTIL Qual sua busca}{ESC}"
  expect_status 0
  expect_order "line: Deseja atualizar o youtube-dl agora?" \
    "line: O baixador não foi atualizado. Aperte y nos resultados ou no histórico para atualizar depois." \
    "line: Digite o que procura" "line: O baixador de vídeos falhou: nada feito" "line: Aperte y para atualizar o baixador." \
    "line: Procurando atualização parao youtube-dl. Aguarde." "line: Baixando youtube-dl." "line: Youtube-dl atualizado."
  [ "$("$app/youtube-dl.exe" --version)" = 2026.08.19 ] || fail "o youtube-dl não foi trocado"
  stop_release_site
}

case_update_does_not_run() {
  # The release site hands out a file that is no program: the old downloader stays.
  printf 'isto não é um programa\n' >"$work/garbage"
  site_downloader="$work/garbage"
  start_release_site
  run "{UNTIL Deseja atualizar}s{UNTIL Digite o que procura}{ESC}"
  expect_status 0
  expect_order "line: Baixando youtube-dl." \
    "line: O arquivo baixado não funciona nesta máquina. O baixador antigo foi mantido." "line: Digite o que procura"
  [ "$("$app/youtube-dl.exe" --version)" = 2023.03.04 ] || fail "o youtube-dl antigo não foi mantido"
  [ ! -e "$app/ytdltmp" ] || fail "ytdltmp ficou"
  stop_release_site
}

case_playlist() {
  # A channel by its name and a pasted playlist: pages of its videos, played as any result.
  echo 25 >"$FAKE_DIR/total"
  run "@canal.teste{ENTER}{TAB}{DOWN}{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Registros lidos: 20" "say: Faixa 1 da lista - 3:01 por Canal da lista" "line: Página 2" \
    "say: Faixa 21 da lista - 3:21 por Canal da lista"
  expect_grep "^--ignore-config|--no-warnings|--flat-playlist|--playlist-end|20|.*|--|https://www.youtube.com/@canal.teste/videos$" \
    "$FAKE_DIR/downloader.log"
  expect_grep "^-f|mp4|-e|-g|--|https://www.youtube.com/watch?v=lst00000022$" "$FAKE_DIR/downloader.log"
  run "{DOWN}{DOWN}{ENTER}{WAIT 3000}{ESC}{ESC}"
  expect "say: Faixa 1 da lista - 3:01 por Canal da lista"
  [ "$(searches)" = 0 ] || fail "a lista passou pela pesquisa"
}

case_playlist_save() {
  # A whole list as MP3 into a folder named after it; the second of three videos fails and
  # the list goes on. Then as MP4, stopped with Esc after the first video.
  make_video
  echo 3 >"$FAKE_DIR/total"
  echo lst00000002 >"$FAKE_DIR/fails-id"
  local list="https://www.youtube.com/playlist?list=PLteste"
  local folder; folder="$downloads/$(safe_name "Lista de teste: $list")"
  run "$list{ENTER}{UNTIL Registros lidos}a{UNTIL Vídeo 1 de 3:}{ENTER}{UNTIL Vídeos salvos}{ESC}{ESC}"
  expect_status 0
  expect_order "line: Salvando os 3 vídeos da lista Lista de teste: $list no formato mp3." \
    "line: Vídeo 1 de 3: Faixa 1 da lista" "line: Conversão concluída." "line: Vídeo 2 de 3: Faixa 2 da lista" \
    "line: Erro. O vídeo não foi baixado." "line: O baixador de vídeos falhou: Private video" \
    "line: O vídeo 2 de 3 não foi salvo." "line: Vídeo 3 de 3: Faixa 3 da lista"
  grep -qF -- "line: Vídeos salvos: 2 de 3, na pasta " "$work/transcript" &&
    grep -F -- "line: Vídeos salvos: 2 de 3, na pasta " "$work/transcript" | grep -qF -- "\\${folder##*/}." ||
    fail "a pasta da lista não foi dita: $(grep -F 'Vídeos salvos' "$work/transcript")"
  expect_file "$folder/Faixa 1 da lista.mp3"
  expect_file "$folder/Faixa 3 da lista.mp3"
  [ ! -e "$folder/Faixa 2 da lista.mp3" ] || fail "o vídeo que falhou deixou um arquivo"
  [ -z "$(find "$folder" -name '*.mp4')" ] || fail "ficou um MP4 depois da conversão"
  expect_call "$FAKE_DIR/downloader.argv" -f mp4 -o "$folder/Faixa 1 da lista.mp4" -- "https://www.youtube.com/watch?v=lst00000001"
  rm -f "$FAKE_DIR/fails-id"
  run "{DOWN}{DOWN}{ENTER}{UNTIL Registros lidos}v{UNTIL Vídeo 1 de 3:}{ESC}{UNTIL Vídeos salvos}{ESC}{ESC}"
  expect_status 0
  expect_order "line: A lista para depois deste vídeo. Esc outra vez interrompe também este." \
    "line: Download do vídeo concluído." "line: Lista interrompida no vídeo 1 de 3."
  expect_file "$folder/Faixa 1 da lista.mp4"
  [ ! -e "$folder/Faixa 2 da lista.mp4" ] || fail "a lista seguiu depois do Esc"
}
