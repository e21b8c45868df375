# bash completion for Ondrix: the program's switches and the tools' options.
# Installed once under each command's name; bash-completion loads it on first use.

_ondrix_switches=(/? /sine /square /triangle /sawtooth /noise /hide /nobackupvoltage /rms /peak /pp /atom /loop
  /record= /autoquit= /duration= /io= /com= /rts= /dtr= /iomask= /iofreq= /amp= /audiofreq= /atom= /vout=
  /closevol= /a= /b=)
_ondrix_tone_options=(--freq --note --duration --wave --bits --rate --stereo --am --no-multiplier --envelope --loop
  --out --play --help)
_ondrix_graph_options=(--png --size --range --xrange --yrange --grid --no-numbers --quadrant --dots
  --maintain-ratio --aspect --zoom-time --print-range --help)
_ondrix_waves=(sine square triangle sawtooth noise)

# Offers those candidates that start with the word being completed. Readline
# replaces only the text after the last word-break character ("=" or ":"), so
# that much is cut off the front of every candidate.
_ondrix_offer() {
  local word=$1 candidate head=
  shift
  COMPREPLY=()
  for candidate in "$@"; do
    [[ $candidate == "$word"* ]] && COMPREPLY+=("$candidate")
  done
  if [[ $word == *[=:]* ]]; then
    head=${word%"${word##*[=:]}"}
    COMPREPLY=("${COMPREPLY[@]#"$head"}")
  fi
}

# File names for the text after a switch such as "/record=".
_ondrix_files_after() {
  local word=$1 switch=$2 file
  local -a files=()
  while IFS= read -r file; do
    [[ -d $file ]] && file+=/
    files+=("$switch$file")
  done < <(compgen -f -- "${word#"$switch"}")
  _ondrix_offer "$word" "${files[@]}"
  compopt -o nospace 2>/dev/null
}

_ondrix_program() {
  local word=$1 device
  local -a ports=()
  case "$word" in
    /record=*) _ondrix_files_after "$word" /record= ;;
    /com=*)
      for device in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
        [[ -e $device ]] && ports+=("/com=${device#/dev/}")
      done
      _ondrix_offer "$word" /com=COM1 /com=COM2 /com=COM3 /com=COM4 "${ports[@]}"
      ;;
    *)
      _ondrix_offer "$word" "${_ondrix_switches[@]}"
      [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
      ;;
  esac
}

_ondrix_atom() {
  local word=$1 previous=$2 position=$3 file
  local -a numbers=()
  if [[ $position -eq 1 ]]; then
    _ondrix_offer "$word" add name delete --help
  elif [[ $position -eq 2 && ($previous == name || $previous == delete) ]]; then
    for file in "${ONDRIX_ATOM_DIR:-/dev/shm/ondrix-atoms}"/*; do
      file=${file##*/}
      [[ $file =~ ^[0-9]+$ ]] && numbers+=("$file")
    done
    _ondrix_offer "$word" "${numbers[@]}"
  fi
}

_ondrix() {
  local line=${COMP_LINE:0:COMP_POINT}
  local word=${line##*[[:space:]]}
  local -a words # the words before the one being completed
  read -r -a words <<<"${line% *}"
  local previous=${words[-1]}
  local position=$((${#words[@]}))
  [[ $line == *[[:space:]] ]] && word=
  case "${COMP_WORDS[0]##*/}" in
    ondrix) _ondrix_program "$word" ;;
    ondrix-calc)
      if [[ $position -eq 1 ]]; then
        _ondrix_offer "$word" --help
      else
        _ondrix_offer "$word" A= B= C= D= E= T= X= Y=
        compopt -o nospace 2>/dev/null
      fi
      ;;
    ondrix-tone)
      case "$previous" in
        --wave) _ondrix_offer "$word" "${_ondrix_waves[@]}" ;;
        --bits) _ondrix_offer "$word" 16 8 ;;
        --rate) _ondrix_offer "$word" 96000 44100 ;;
        --out) _ondrix_files_after "$word" "" ;;
        --freq | --note | --duration | --am | --envelope) COMPREPLY=() ;;
        *) _ondrix_offer "$word" "${_ondrix_tone_options[@]}" ;;
      esac
      ;;
    ondrix-graph)
      case "$previous" in
        --grid) _ondrix_offer "$word" none xaxis yaxis axes xgrid ygrid full ;;
        --quadrant) _ondrix_offer "$word" all first second third fourth right left ;;
        --png) _ondrix_files_after "$word" "" ;;
        --size | --range | --xrange | --yrange | --aspect | --zoom-time) COMPREPLY=() ;;
        *) [[ $word == -* ]] && _ondrix_offer "$word" "${_ondrix_graph_options[@]}" ;;
      esac
      ;;
    ondrix-atom) _ondrix_atom "$word" "$previous" "$position" ;;
  esac
}

complete -F _ondrix ondrix ondrix-calc ondrix-tone ondrix-graph ondrix-atom
