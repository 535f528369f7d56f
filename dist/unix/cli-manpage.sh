#!/bin/sh
# Writes the batch tool's manual page from its own help, so that the page and the program agree:
#   cli-manpage.sh KALMORA-CLI TEMPLATE OUTPUT
# The template's lines %USAGE%, %COMMANDS% and %OPTIONS% are replaced by the usage line, the
# commands and the options of `kalmora-cli --help`. A command that answers `kalmora-cli BEFEHL
# --help` with its own help gets that text instead of the line of the overview.
set -eu

if [ $# -ne 3 ]; then
  echo "Aufruf: cli-manpage.sh KALMORA-CLI VORLAGE AUSGABE" >&2
  exit 1
fi
cli=$1
template=$2
output=$3
# The tool runs in another folder.
case $cli in
  /*) ;;
  */*) cli=$(pwd)/$cli ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/kalmora-manpage-XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# The tool runs in an empty folder with an empty home, so no settings file of this machine is read.
run_cli() {
  (cd "$work/home" && HOME="$work/home" XDG_CONFIG_HOME="$work/home" "$cli" "$@" </dev/null)
}
mkdir "$work/home"

if ! run_cli --help >"$work/help" 2>"$work/help.err"; then
  cat "$work/help.err" >&2
  echo "cli-manpage.sh: $cli --help ist fehlgeschlagen." >&2
  exit 1
fi

# Roff helpers for the page.
cat >"$work/roff.awk" <<'AWK'
# Text as roff shows it literally: backslashes, option dashes and a leading control character.
function text(s) {
  gsub(/\\/, "\\e", s)
  gsub(/--/, "\\-\\-", s)
  gsub(/ -/, " \\-", s)
  sub(/^-/, "\\-", s)
  if (s ~ /^[.']/) s = "\\&" s
  return s
}
# A synopsis: the first word (the command) and every option in bold.
function term(s, first,   n, i, words, out, w, lead, at) {
  n = split(s, words, / +/)
  out = ""
  for (i = 1; i <= n; i++) {
    w = words[i]
    lead = ""
    while (w ~ /^[[(]/) { lead = lead substr(w, 1, 1); w = substr(w, 2) }
    gsub(/\\/, "\\e", w)
    if (w ~ /^-/ || (i == 1 && first)) {
      gsub(/-/, "\\-", w)
      w = "\\fB" w
      for (at = 4; at <= length(w) && index("]),|", substr(w, at, 1)) == 0; at++);
      w = substr(w, 1, at - 1) "\\fR" substr(w, at)
    } else {
      gsub(/-/, "\\-", w)
    }
    out = out (i > 1 ? " " : "") lead w
  }
  return out
}
AWK

# The overview as records "kind<TAB>term<TAB>description": kind is usage, command or option. A
# section heading ends with ":" at the start of a line; an entry starts within two blanks of the
# margin; deeper lines continue it, a line starting with "[" its synopsis while no description has
# begun. A term and its description on one line are parted by two or more blanks.
awk '
function flush() {
  if (kind != "") printf "%s\t%s\t%s\n", kind, entry, description
  kind = ""; entry = ""; description = ""
}
function add(s) { description = description (description == "" ? "" : " ") s }
/^[^ ].*:$/ { flush(); section = $0; next }
/^[ \t]*$/ { flush(); next }
/^(Aufruf|Usage): / { flush(); line = $0; sub(/^[^:]*: */, "", line); print "usage\t" line "\t"; next }
{
  match($0, /^ */)
  indent = RLENGTH
  line = substr($0, indent + 1)
  if (kind != "" && indent > entryIndent) {
    if (description == "" && line ~ /^\[/) entry = entry " " line; else add(line)
    next
  }
  if (indent > 2) next
  flush()
  entryIndent = indent
  split(line, parts, /  +/)
  entry = parts[1]
  rest = substr(line, length(parts[1]) + 1)
  sub(/^ +/, "", rest)
  if (rest != "") add(rest)
  if (entry ~ /^-/) kind = "option"
  else if (section ~ /^(Befehle|Commands)/) kind = "command"
  else kind = "other"
}
END { flush() }
' "$work/help" >"$work/entries"

if ! grep -q '^command' "$work/entries"; then
  echo "cli-manpage.sh: in der Hilfe von $cli stehen keine Befehle." >&2
  exit 1
fi

# Each command's own help, when the tool has one: "command<TAB>file".
: >"$work/own"
n=0
for command in $(awk -F '\t' '$1 == "command" { split($2, w, " "); print w[1] }' "$work/entries"); do
  n=$((n + 1))
  if run_cli "$command" --help >"$work/own.$n" 2>/dev/null && [ -s "$work/own.$n" ] &&
    ! cmp -s "$work/own.$n" "$work/help"; then
    printf '%s\t%s\n' "$command" "$work/own.$n" >>"$work/own"
  fi
done

cat >"$work/page.awk" <<'AWK'
function ownHelp(command, file,   line, usage, body, started, at) {
  usage = ""; body = ""; started = 0
  while ((getline line < file) > 0) {
    if (!started && line ~ /^[ \t]*$/) continue
    if (!started && usage == "" && line ~ /^(Aufruf|Usage): /) {
      at = index(line, " " command)
      usage = at > 0 ? substr(line, at + 1) : ""
      continue
    }
    started = 1
    body = body "\\&" text(line) "\n"
  }
  close(file)
  sub(/\n+$/, "\n", body)
  ownUsage[command] = usage
  ownBody[command] = body
}
BEGIN {
  while ((getline line < own) > 0) {
    split(line, f, "\t")
    ownHelp(f[1], f[2])
    hasOwn[f[1]] = 1
  }
  while ((getline line < entries) > 0) {
    split(line, f, "\t")
    if (f[1] == "usage") {
      usage = usage ".PP\n" term(f[2], 1) "\n"
    } else if (f[1] == "command") {
      split(f[2], w, " ")
      name = w[1]
      if (hasOwn[name]) {
        commands = commands ".TP\n" term(ownUsage[name] != "" ? ownUsage[name] : f[2], 1) "\n"
        commands = commands ".nf\n" ownBody[name] ".fi\n"
      } else {
        commands = commands ".TP\n" term(f[2], 1) "\n" text(f[3]) "\n"
      }
    } else if (f[1] == "option") {
      options = options ".TP\n" term(f[2], 0) "\n" text(f[3]) "\n"
    }
  }
  close(entries)
}
$0 == "%USAGE%" { printf "%s", usage; next }
$0 == "%COMMANDS%" { printf "%s", commands; next }
$0 == "%OPTIONS%" { printf "%s", options; next }
{ print }
AWK
awk -v entries="$work/entries" -v own="$work/own" -f "$work/roff.awk" -f "$work/page.awk" "$template" >"$work/page"
mv "$work/page" "$output"
