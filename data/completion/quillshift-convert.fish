# fish completion for quillshift-convert: options, the fields of --set, the languages of
# --set Language=, the warning codes of --fix=, folders after -o, and scripts (*.ifs) elsewhere.

set -l languages '?' BR DE EN EN,FR ES FR IT PT Unknown Brazilian German English \
    'English, French' Spanish French Italian Portuguese
set -l codes no-program-line program-line-not-recognised wrong-argument-split call-continues \
    second-call-not-rewritten keyword-in-identifier rewrite-in-string rule-overridden \
    code-commented-out dangling-statement line-replaced

# The values of --set: FIELD=, then the languages after Language=.
function __quillshift_convert_set -V languages
    set -l token (commandline -ct | string replace -r '^--set=' '')
    if string match -qir '^language=' -- $token
        set -l field (string match -r '^[^=]*=' -- $token)
        printf "$field%s\n" $languages
    else
        printf '%s\n' Authors= Title= Description= Site= Version= Comments= Language=
    end
end

# The list of --fix=: the codes not yet in it, after the ones there.
function __quillshift_convert_codes -V codes
    set -l list (commandline -ct | string replace -r '^--fix=' '')
    set -l done (string match -r '^.*,' -- $list)
    for code in $codes
        contains -- $code (string split , -- $list) || printf '%s%s%s\n' --fix= "$done" $code
    end
end

# Scripts (*.ifs in any letter case) and folders.
function __quillshift_convert_scripts
    for path in (commandline -ct)*
        if test -d $path
            echo $path/
        else if string match -qir '\.ifs$' -- $path
            echo $path
        end
    end
end

set -l c complete -c quillshift-convert
$c -f -a '(__quillshift_convert_scripts)'
$c -s o -l output-dir -x -a '(__fish_complete_directories)' -d 'Write into the folder DIR'
$c -s i -l in-place -d 'Replace each input, keeping a backup (SUFFIX, default .bak)'
$c -l name-template -x -d 'Name of each output: {name}, {stem}, {ext}'
$c -s f -l force -d 'Replace existing outputs and backups'
$c -l reconvert -d 'Convert scripts with a converted header too'
$c -s r -l recursive -d 'Convert the scripts in the folders given'
$c -l hidden -d 'With -r, enter hidden folders'
$c -l follow-symlinks -d 'With -r, enter links to folders'
$c -l files-from -r -F -d 'Also convert the scripts named in FILE'
$c -s 0 -l null -d 'The --files-from names end with NUL'
$c -l set -x -a '(__quillshift_convert_set)' -d 'Set a property: FIELD=VALUE'
$c -s n -l dry-run -d 'Print what would be written'
$c -l check -d 'List each input that would be converted'
$c -l diff -d 'Print a unified diff to each conversion'
$c -l color -d 'Colour the diff: --color=auto, always or never'
$c -f -n 'string match -q -- "--color=*" (commandline -ct)' -a '--color=auto --color=always --color=never'
$c -l fix -d 'Repair the lines warned about, or --fix=CODE,...'
$c -f -n 'string match -q -- "--fix=*" (commandline -ct)' -a '(__quillshift_convert_codes)'
$c -l strict -d 'Fail the run when a warning is left'
$c -s q -l quiet -d 'Print only failures'
$c -l json -d 'Print one JSON document for the run'
$c -s h -l help -d 'Show the help and exit'
$c -l version -d 'Show the version and exit'
