# Prints, one a line, what zsh's completion offers for a command line typed up
# to the cursor, with the completion functions of a folder first in $fpath:
#   zsh -f complete.zsh FOLDER 'morvick-cli plan --method '
# An interactive zsh on a pseudo-terminal gets the line and a Tab; every match
# added is printed as it is added.
zmodload zsh/zpty || exit 1
zpty shell zsh -f -i || exit 1
zpty -w shell "PROMPT= RPROMPT= ; fpath=(${(q)1} \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w shell 'compadd() { local -a m; builtin compadd -O m "$@"; (( $#m )) && print -rl -- ${^m/#/MATCH""::}; builtin compadd "$@" }'
zpty -w shell 'comppostfuncs=(finish); finish() { print -r -- END""MARK; compstate[insert]=; compstate[list]= }'
zpty -w shell 'bindkey "^I" complete-word'
zpty -n -w shell "$2"$'\t'
# The markers are split in what is typed, so the terminal's echo of the
# commands above never matches them. The first match may follow the echo of
# the typed line on the same terminal line; escape sequences are dropped.
setopt extendedglob
while zpty -r shell line; do
  line=${line//$'\e'\[[0-9;?]#[a-zA-Z]/}
  line=${line//$'\r'/}
  line=${line%$'\n'}
  [[ $line == *ENDMARK* ]] && break
  [[ $line == *MATCH::* ]] && print -r -- ${line#*MATCH::}
done
zpty -d shell
