# bash completion for morvick-cli: the commands, their options, the values of
# --method, --unit, --format and --media, folders for INPUT, OUTPUT and
# TARGET (and images for TARGET), and journals for undo (those of the default journal folder too).

_morvick_cli_journal_folder() {
  if [[ ${XDG_STATE_HOME-} == /* ]]; then
    printf '%s\n' "$XDG_STATE_HOME/morvick"
  else
    printf '%s\n' "$HOME/.local/state/morvick"
  fi
}

# Fills COMPREPLY with the output of a command, one candidate a line, so that
# names with blanks stay whole.
_morvick_cli_reply() {
  mapfile -t COMPREPLY < <("$@")
}

_morvick_cli_journals() {
  local cur=$1 folder
  compgen -d -- "$cur"
  compgen -f -X '!*.jsonl' -- "$cur"
  # Nothing typed yet: the journals that move and the window keep by default.
  if [[ -z $cur ]]; then
    folder=$(_morvick_cli_journal_folder)
    [[ -d $folder ]] && compgen -f -X '!*.jsonl' -- "$folder/"
  fi
}

# A volume folder, a mounted disc or an image file.
_morvick_cli_targets() {
  compgen -d -- "$1"
  compgen -f -X '!*.iso' -- "$1"
}

_morvick_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  # "--method=fi" arrives as "--method", "=", "fi".
  if [[ $cur == = ]]; then
    cur=
  elif [[ $prev == = && $COMP_CWORD -ge 2 ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  fi

  local command= i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      plan | move | copy | image | verify | undo | settings)
        command=${COMP_WORDS[i]}
        break
        ;;
    esac
  done

  if [[ -z $command ]]; then
    if [[ $cur == -* ]]; then
      _morvick_cli_reply compgen -W '-h --help --version' -- "$cur"
    else
      _morvick_cli_reply compgen -W 'plan move copy image verify undo settings' -- "$cur"
    fi
    return
  fi

  local plan_options='-h --help --size --unit --method --time-limit --cluster --base --digits
    --start --skip-last --format --settings -q --quiet'
  local options
  case $command in
    plan) options=$plan_options ;;
    move) options="$plan_options -y --yes --journal" ;;
    copy) options="$plan_options -y --yes --link --no-index" ;;
    image) options="$plan_options -y --yes --media --no-index" ;;
    verify) options='-h --help -q --quiet' ;;
    undo) options='-h --help -y --yes -q --quiet' ;;
    settings) options='-h --help --file' ;;
  esac

  case $prev in
    --method)
      _morvick_cli_reply compgen -W '0 1 2 3 4 5 6 7 8 name-asc name-desc date-asc date-desc
        kind-asc kind-desc first-fit none fewest' -- "$cur"
      return
      ;;
    --unit)
      _morvick_cli_reply compgen -W 'mbytes bytes' -- "$cur"
      return
      ;;
    --format)
      _morvick_cli_reply compgen -W 'table tsv json' -- "$cur"
      return
      ;;
    --media)
      _morvick_cli_reply compgen -W 'cd74 cd80 dvd dvd-dl bd25 bd50' -- "$cur"
      return
      ;;
    --settings | --journal | --file)
      compopt -o filenames 2>/dev/null
      _morvick_cli_reply compgen -f -- "$cur"
      return
      ;;
    --size | --time-limit | --cluster | --base | --digits | --start)
      return
      ;;
  esac

  if [[ $cur == -* ]]; then
    _morvick_cli_reply compgen -W "$options" -- "$cur"
    return
  fi
  case $command in
    plan | move | copy | image)
      compopt -o filenames 2>/dev/null
      _morvick_cli_reply compgen -d -- "$cur"
      ;;
    verify)
      compopt -o filenames 2>/dev/null
      _morvick_cli_reply _morvick_cli_targets "$cur"
      ;;
    undo)
      compopt -o filenames 2>/dev/null
      _morvick_cli_reply _morvick_cli_journals "$cur"
      ;;
  esac
}

complete -F _morvick_cli morvick-cli
