#!/usr/bin/env bash
# Our own small mutation run: plants one small, plausible fault at a time in the module's
# code (shell/, model/, engine/), rebuilds the test programs incrementally, runs them, and
# reports the faults that no test noticed (the survivors).
#
#   scripts/mutate.sh [--sample N] [--seed S] [--list] [--only FILE] [--timeout SECONDS]
#                     [--mutants LIST]
#
# Mutation rules, each applied to one place at a time:
#   compare   a comparison flipped:    < <=   > >=   == !=  (and back)
#   constant  a number nudged:         an integer n becomes n + 1, a decimal x becomes x + 1
#   call      a call dropped:          a statement that is only a call becomes ;
#   channel   two channels swapped:    [0] [1] [2] indices and .red .green .blue rotated
#   logic     a connective swapped:    && ||
#   sign      an operator swapped:     + -  (binary, spaced)
#
# Places left out, because the rule cannot make a fault there by construction:
#   - the size in an array parameter's declarator (`const float plane[4]`): the parameter is
#     a pointer, the size is not part of its type, and no code can read it;
#   - the size in the declaration of a local array that the file never measures (no
#     sizeof, std::size/begin/end or range-for naming it): one element more is never read,
#     so nothing can tell the arrays apart. Sizes of members, globals and typedefs stay in,
#     since a record's layout or a table's length can be observed;
#   - the channel rule on any size in an array declaration: a size selects no channel;
#   - the number in alignas(N): N + 1 is never a valid alignment, so it never builds.
#
# The run works in a scratch copy of the tree (build/mutate/src, built in
# build/mutate/build), so the working tree is never touched; the mutated file is restored
# after every mutant and on Ctrl-C. It is not part of scripts/test.sh. The sample is drawn
# with a fixed seed, so a run can be repeated (or a list of mutants run again with
# --mutants); the report is build/mutate/report.txt.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sample=60 seed=12 list=0 only="" timeout=180 given=""
while [ $# -gt 0 ]; do
  case "$1" in
    --sample) sample=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --list) list=1; shift ;;
    --only) only=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --mutants) given=$(realpath "$2"); shift 2 ;;  # a list as --list prints it
    -h|--help) sed -n '2,33p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

work=$root/build/mutate
src=$work/src
build=$work/build
mkdir -p "$work"

# ---- The mutants: one line per place, "file<TAB>line<TAB>column<TAB>rule<TAB>from<TAB>to".
mutants=$work/mutants.tsv
if [ "$list" = 1 ]; then mutants=$work/list.tsv; fi  # never the list of a run under way
python3 - "$root" "$seed" "$sample" "$only" > "$mutants" <<'PY'
import os, random, re, sys
src, seed, sample, only = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]

RULES = [
    ("compare", re.compile(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)"),
     {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}),
    ("logic", re.compile(r"(?<=\s)(&&|\|\|)(?=\s)"), {"&&": "||", "||": "&&"}),
    ("sign", re.compile(r"(?<=\s)([+-])(?=\s)"), {"+": "-", "-": "+"}),
    ("channel", re.compile(r"(\[[012]\]|\.red\b|\.green\b|\.blue\b)"),
     {"[0]": "[1]", "[1]": "[2]", "[2]": "[0]", ".red": ".green", ".green": ".blue",
      ".blue": ".red"}),
]
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d*f?|\d+)(?![\w.])")
CALL = re.compile(r"^(\s*)((?:[A-Za-z_]\w*(?:::|\.|->))*[A-Za-z_]\w*\(.*\);)\s*$")
NOT_CALLS = ("return", "if", "while", "for", "switch", "delete", "throw", "case", "static_assert")

def code_lines(path):
    """Yields (number, text) of lines that hold code: no comments, preprocessor lines or
    assertions on layouts."""
    in_block = False
    for n, line in enumerate(open(path, encoding="utf-8"), 1):
        text = line.rstrip("\n")
        if in_block:
            if "*/" in text:
                in_block = False
            continue
        stripped = text.strip()
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith(("//", "#", "static_assert")):
            continue
        code = text.split("//", 1)[0]
        if '"' in code:  # keep string contents out of reach
            code = re.sub(r'"(\\.|[^"\\])*"', lambda m: " " * len(m.group(0)), code)
        yield n, text, code

def nudge(number):
    if "." in number:
        digits = number.rstrip("f")
        value = float(digits or 0) + 1.0
        return repr(value) + ("f" if number.endswith("f") else "")
    return str(int(number) + 1)

KEYWORDS = {"return", "case", "else", "do", "new", "delete", "throw", "sizeof", "goto",
            "typedef", "using", "default", "co_return", "co_yield", "co_await"}
DECLARATOR = re.compile(r"(?:^|(?<=[\s(,]))([A-Za-z_]\w*(?:::[A-Za-z_]\w*)*(?:<[^;{}()]*>)?[*&]*)\s+[*&]*"
                        r"([A-Za-z_]\w*)((?:\s*\[[^\[\]]*\])+)(?=\s*(?:[;,)={]|$))")

def scope_kind(head, enclosing):
    """What a brace opens, from the code since the last ; { or }: a record, a namespace,
    a block of statements or an initializer."""
    head = head.strip()
    if enclosing == "init":
        return "init"
    if re.search(r"\b(struct|class|union|enum)\b", head) and not head.endswith(")"):
        return "record"
    if re.search(r"\bnamespace\b|^extern\b", head):
        return "namespace"
    if re.search(r"(\)|\bconst|\bnoexcept|\boverride|\bfinal|\belse|\bdo|\btry|\bmutable)$", head):
        return "code"
    if head == "" and enclosing == "code":
        return "code"
    return "init"

class Scanner:
    """Follows the braces and parentheses of a file's code, line by line."""
    def __init__(self):
        self.stack, self.parens, self.head = [], 0, ""
    def scope(self):
        kinds = [k for k in self.stack if k != "init"]
        return kinds[-1] if kinds else "namespace"
    def feed(self, text):
        for ch in text:
            if ch == "{":
                self.stack.append(scope_kind(self.head, self.stack[-1] if self.stack else ""))
                self.head = ""
            elif ch == "}":
                if self.stack:
                    self.stack.pop()
                self.head = ""
            elif ch == ";":
                self.head = ""
            else:
                self.head += ch
                if ch == "(":
                    self.parens += 1
                elif ch == ")" and self.parens:
                    self.parens -= 1

def measured(name, whole):
    return re.search(r"\b(sizeof|size|ssize|begin|end|extent)\b\s*\(?\s*" + name + r"\b", whole) \
        or re.search(r":\s*" + name + r"\s*\)", whole)

def left_out(code, scanner, whole):
    """Spans of the line where the constant and channel rules make no fault: the sizes of
    array declarators (see the header)."""
    spans = []
    if re.search(r"\b(typedef|using)\b", code):
        return spans, []
    for m in DECLARATOR.finditer(code):
        if m.group(1) in KEYWORDS or m.group(2) in KEYWORDS:
            continue
        probe = Scanner()
        probe.stack, probe.parens, probe.head = list(scanner.stack), scanner.parens, scanner.head
        probe.feed(code[:m.start()])
        span = (m.start(3), m.end(3))
        if probe.parens > 0:
            spans.append((span, "parameter"))
        elif probe.scope() == "code" and not measured(m.group(2), whole):
            spans.append((span, "local"))
        else:
            spans.append((span, "kept"))
    return [s for s, kind in spans if kind != "kept"], [s for s, _ in spans]

def inside(column, spans):
    return any(a <= column < b for a, b in spans)

places, skipped = [], 0
for folder in ("shell", "model", "engine"):
    for base, _, files in os.walk(os.path.join(src, folder)):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(base, name)
            rel = os.path.relpath(path, src)
            if only and rel != only:
                continue
            whole = "\n".join(code for _, _, code in code_lines(path))
            scanner = Scanner()
            for n, text, code in code_lines(path):
                sizes, declared = left_out(code, scanner, whole)
                for rule, pattern, table in RULES:
                    for m in pattern.finditer(code):
                        if rule == "channel" and inside(m.start(), declared):
                            skipped += 1
                            continue
                        places.append((rel, n, m.start(), rule, m.group(1), table[m.group(1)]))
                for m in NUMBER.finditer(code):
                    if inside(m.start(), sizes) or re.search(r"\balignas\s*\(\s*$", code[:m.start()]):
                        skipped += 1
                        continue
                    places.append((rel, n, m.start(), "constant", m.group(1), nudge(m.group(1))))
                m = CALL.match(code)
                if m and not m.group(2).startswith(NOT_CALLS) and "=" not in m.group(2).split("(")[0]:
                    call = text[m.start(2):m.end(2)]  # as written, strings and all
                    places.append((rel, n, m.start(2), "call", call, ";"))
                scanner.feed(code)

places.sort()
random.Random(seed).shuffle(places)
for p in places[:sample] if sample > 0 else places:
    print("\t".join(str(x) for x in p))
print(f"{len(places)} places in all ({skipped} left out by construction)", file=sys.stderr)
PY
if [ -n "$given" ] && [ "$given" != "$mutants" ]; then cp "$given" "$mutants"; fi
if [ "$list" = 1 ]; then cat "$mutants"; exit 0; fi

# ---- The scratch copy: the tree's files as they are now (tracked and new, not ignored).
# Only files whose content differs are copied, so that the scratch build rebuilds exactly
# what changed since the last run (a copied file is newer than every object built before).
mkdir -p "$src"
(cd "$root" && git ls-files -co --exclude-standard -z) | while IFS= read -r -d '' f; do
  if ! cmp -s "$root/$f" "$src/$f"; then
    mkdir -p "$(dirname "$src/$f")"
    cp "$root/$f" "$src/$f"
  fi
done


# ---- The scratch build. Each test program is built just before it runs, so that a mutant
# the first program kills costs one compile and one link.
programs=(unit_tests render_order_tests alloc_fault_tests host_tests model_corpus_tests)
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$src"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
build_targets() { cmake --build "$build" -j "$(nproc)" --target "$@" >/dev/null 2>&1; }
targets_of() {  # what a program needs beside itself
  case "$1" in
    host_tests) echo "host_tests Quorvel64" ;;
    cli) echo "quorvel Quorvel64" ;;
    *) echo "$1" ;;
  esac
}
echo "building the scratch copy ..."
build_targets "${programs[@]}" Quorvel64 quorvel || { echo "the unmutated tree does not build" >&2; exit 1; }
program_path() { find "$build/tests" -name "$1" -type f -perm -u+x | head -n 1; }

# Runs one program (or the command line cases for "cli"): 0 passed, 1 failed, 2 not built.
run_program() {
  local p=$1 path
  # shellcheck disable=SC2046
  build_targets $(targets_of "$p") || return 2
  if [ "$p" = cli ]; then
    (cd "$build" && timeout "$timeout" ctest -R '^(cli_|module_|quorvel_model_)' >/dev/null 2>&1) || return 1
    return 0
  fi
  path=$(program_path "$p")
  (cd "$(dirname "$path")" && timeout "$timeout" "$path" --gtest_brief=1 >/dev/null 2>&1) || return 1
  return 0
}

# Every program in turn; the first that fails ends the run. Prints passed, killed or
# stillborn.
run_tests() {
  local p status
  for p in "${programs[@]}" cli; do
    status=0
    run_program "$p" || status=$?
    if [ $status -eq 1 ]; then echo killed; return; fi
    if [ $status -eq 2 ]; then echo stillborn; return; fi
  done
  echo passed
}

echo "checking that the unmutated tree passes ..."
[ "$(run_tests)" = passed ] || { echo "the unmutated tree fails its tests" >&2; exit 1; }

# ---- One mutant at a time; the file is put back on every path.
current=""
restore() { if [ -n "$current" ]; then cp "$work/original" "$src/$current"; current=""; fi; }
trap 'restore; echo "interrupted" >&2; exit 130' INT TERM
trap restore EXIT

report=$work/report.txt
: > "$report"
tried=0 killed=0 survived=0 stillborn=0
while IFS=$'\t' read -r -u 3 file line column rule from to; do
  cp "$src/$file" "$work/original"
  current=$file
  python3 - "$src/$file" "$line" "$column" "$from" "$to" <<'PY'
import sys
path, line, column, old, new = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5]
lines = open(path, encoding="utf-8").read().split("\n")
text = lines[line - 1]
assert text[column:column + len(old)] == old, (path, line, column, old)
lines[line - 1] = text[:column] + new + text[column + len(old):]
open(path, "w", encoding="utf-8").write("\n".join(lines))
PY
  label="$file:$line:$((column + 1)) $rule '$from' -> '$to'"
  started=$SECONDS
  case "$(run_tests)" in
    passed) result="SURVIVED"; survived=$((survived + 1)); tried=$((tried + 1)) ;;
    killed) result="killed"; killed=$((killed + 1)); tried=$((tried + 1)) ;;
    *) result="stillborn (does not build)"; stillborn=$((stillborn + 1)) ;;
  esac
  restore
  echo "$result  $label  ($((SECONDS - started)) s)" | tee -a "$report"
done 3< "$mutants"

echo
echo "mutants built and tested: $tried; killed: $killed; survived: $survived;" \
     "not building: $stillborn" | tee -a "$report"
if [ "$tried" -gt 0 ]; then
  echo "killed: $((killed * 100 / tried)) %" | tee -a "$report"
fi
grep '^SURVIVED' "$report" || true
