# fish completion for morvick-cli: the commands, their options, the values of
# --method, --unit, --format and --media, folders for INPUT, OUTPUT and
# TARGET (and images for TARGET), and journals for undo (those of the default journal folder too).

function __morvick_cli_methods
    printf '%s\t%s\n' \
        0 'name, ascending' 1 'name, descending' 2 'date, oldest first' 3 'date, newest first' \
        4 'kind, ascending' 5 'kind, descending' 6 'largest first, first fit' 7 'as read' \
        8 'fewest volumes' \
        name-asc 'name, ascending' name-desc 'name, descending' \
        date-asc 'date, oldest first' date-desc 'date, newest first' \
        kind-asc 'kind, ascending' kind-desc 'kind, descending' \
        first-fit 'largest first, first fit' none 'as read' fewest 'fewest volumes'
end

function __morvick_cli_folders
    set -l token (commandline -ct)
    string match -q -- '-*' $token; and return
    __fish_complete_directories $token 'folder'
end

function __morvick_cli_journals
    set -l token (commandline -ct)
    string match -q -- '-*' $token; and return
    # Folders and *.jsonl files below what was typed, "~" kept as typed.
    set -l expanded (string replace -r -- '^~' $HOME $token)
    for path in $expanded*
        set -l shown (string replace -- $expanded $token $path)
        if test -d $path
            printf '%s/\tfolder\n' $shown
        else if string match -q -- '*.jsonl' $path
            printf '%s\tjournal\n' $shown
        end
    end
    # Nothing typed yet: the journals that move and the window keep by default.
    if test -z "$token"
        set -l folder $HOME/.local/state/morvick
        string match -q -- '/*' "$XDG_STATE_HOME"; and set folder $XDG_STATE_HOME/morvick
        for journal in $folder/*.jsonl
            printf '%s\t%s\n' $journal journal
        end
    end
end

set -l commands plan move copy image verify undo settings
set -l top "not __fish_seen_subcommand_from $commands"
set -l plan_move '__fish_seen_subcommand_from plan move copy image'

complete -c morvick-cli -f
complete -c morvick-cli -n $top -s h -l help -d 'Print help and exit'
complete -c morvick-cli -n $top -l version -d 'Print the version and exit'
complete -c morvick-cli -n $top -a plan -d 'Scan INPUT and print the plan'
complete -c morvick-cli -n $top -a move -d 'Scan INPUT, print the plan and move the entries below OUTPUT'
complete -c morvick-cli -n $top -a copy -d 'Scan INPUT, print the plan and copy the entries below OUTPUT'
complete -c morvick-cli -n $top -a image -d 'Scan INPUT, print the plan and write one disc image per volume into OUTPUT'
complete -c morvick-cli -n $top -a verify -d 'Check a copied volume or an image against its index'
complete -c morvick-cli -n $top -a undo -d 'Take back the move recorded in JOURNAL'
complete -c morvick-cli -n $top -a settings -d 'Print the settings the window would load'

complete -c morvick-cli -n $plan_move -a '(__morvick_cli_folders)'
complete -c morvick-cli -n $plan_move -s h -l help -d 'Print help and exit'
complete -c morvick-cli -n $plan_move -l size -x -d 'Split size'
complete -c morvick-cli -n $plan_move -l unit -x -a 'mbytes bytes' -d 'Unit of the split size'
complete -c morvick-cli -n $plan_move -l method -x -a '(__morvick_cli_methods)' -d 'Packing method'
complete -c morvick-cli -n $plan_move -l time-limit -x -d 'Seconds the fewest method searches'
complete -c morvick-cli -n $plan_move -l cluster -x -d 'Cluster size in bytes, 0 for none'
complete -c morvick-cli -n $plan_move -l base -x -d 'Base name of the volume folders'
complete -c morvick-cli -n $plan_move -l digits -x -a '1 2 3 4 5 6 7 8 9' -d 'Digits of the volume number'
complete -c morvick-cli -n $plan_move -l start -x -d 'Number of the first volume folder'
complete -c morvick-cli -n '__fish_seen_subcommand_from plan' -l skip-last -d 'No effect on the plan'
complete -c morvick-cli -n '__fish_seen_subcommand_from move' -l skip-last -d 'Do not move the last volume'
complete -c morvick-cli -n '__fish_seen_subcommand_from copy' -l skip-last -d 'Do not copy the last volume'
complete -c morvick-cli -n '__fish_seen_subcommand_from image' -l skip-last -d 'Write no image of the last volume'
complete -c morvick-cli -n $plan_move -l format -x -a 'table tsv json' -d 'Output format of the plan'
complete -c morvick-cli -n $plan_move -l settings -r -F -d 'Start from this settings file'
complete -c morvick-cli -n $plan_move -s q -l quiet -d 'No progress line and no status lines'
complete -c morvick-cli -n '__fish_seen_subcommand_from move copy image' -s y -l yes -d 'Answer the confirmation with yes'
complete -c morvick-cli -n '__fish_seen_subcommand_from move' -l journal -r -F -d 'Journal file to create'

complete -c morvick-cli -n '__fish_seen_subcommand_from copy' -l link -d 'Hard links instead of copies'
complete -c morvick-cli -n '__fish_seen_subcommand_from copy image' -l no-index -d 'No index and no catalogue'
complete -c morvick-cli -n '__fish_seen_subcommand_from image' -l media -x -a 'cd74 cd80 dvd dvd-dl bd25 bd50' -d 'Capacity of a medium'

complete -c morvick-cli -n '__fish_seen_subcommand_from verify' -a '(__morvick_cli_folders)'
complete -c morvick-cli -n '__fish_seen_subcommand_from verify' -a '(__fish_complete_suffix .iso)'
complete -c morvick-cli -n '__fish_seen_subcommand_from verify' -s h -l help -d 'Print help and exit'
complete -c morvick-cli -n '__fish_seen_subcommand_from verify' -s q -l quiet -d 'No progress line and no summary'

complete -c morvick-cli -n '__fish_seen_subcommand_from undo' -a '(__morvick_cli_journals)'
complete -c morvick-cli -n '__fish_seen_subcommand_from undo' -s h -l help -d 'Print help and exit'
complete -c morvick-cli -n '__fish_seen_subcommand_from undo' -s y -l yes -d 'Answer the confirmation with yes'
complete -c morvick-cli -n '__fish_seen_subcommand_from undo' -s q -l quiet -d 'No status line'

complete -c morvick-cli -n '__fish_seen_subcommand_from settings' -s h -l help -d 'Print help and exit'
complete -c morvick-cli -n '__fish_seen_subcommand_from settings' -l file -r -F -d 'Settings file to read'
