#!/usr/bin/env bash
# Times text work through the kalix program (median of several runs,
# milliseconds) and, when octave-cli is installed, the same in GNU Octave
# beside it:
# - strrepl and strfind over an 11.5 MB text (Octave: strrep, strfind);
# - printf of 10^6 numbers, one call each, the text kept (Octave: a loop of
#   sprintf);
# - printf of 10^6 numbers into a string vector: kalix writes the lines to
#   a file and splits the file's text with strtokens, as it has no printf
#   over a vector (Octave: sprintf over the vector, split with strsplit);
# - getvector of 10^6 numbers from that file (Octave: fscanf).
#
# Usage: bench/strings.sh [runs]     (KALIX_BUILD selects the build
# directory, default build/; it is configured and built when needed)
set -euo pipefail
runs=${1:-3}
source "$(dirname "$0")/common.sh"

labels=("strrepl, 11.5 MB" "strfind, 11.5 MB" "printf 10^6 numbers, one call each"
        "printf 10^6 numbers into a string vector" "getvector of 10^6 numbers from a file")

# The text: a sentence repeated, with "needle" only at its end.
cat >"$work/bench.k" <<'EOF2'
function printeach(x, n)
  for i = 1 to n; s = printf("%g", x[i]); end;
  return s
endfunction
function printlines(x, n)
  open("lines.txt", "w");
  for i = 1 to n; writeln(printf("%g", x[i])); end;
  close();
  open("lines.txt", "rb");
  v = strtokens(getstring(100000000), char(10));
  close();
  return v
endfunction
function readnumbers(n)
  open("lines.txt");
  {v, k} = getvector(n);
  close();
  return v
endfunction
s = strrepl(printstr("", 16384, 1, "x"), "x", "the quick brown fox jumps over the lazy dog ");
s = s + s; s = s + s; s = s + s; s = s + s; s = s + "needle";
x = (1:1000000) / 7;
EOF2
cat >"$work/bench.m" <<'EOF2'
1;
function s = printeach(x, n)
  for i = 1:n
    s = sprintf('%g', x(i));
  end
end
s = [repmat('the quick brown fox jumps over the lazy dog ', 1, 16384 * 16), 'needle'];
x = (1:1000000) / 7;
EOF2

kalix_calls=('r = strrepl(s, "fox", "cat")' 'k = strfind(s, "needle")' 's = printeach(x, 1000000)'
             'v = printlines(x, 1000000)' 'v = readnumbers(1000000)')
octave_calls=("r = strrep(s, 'fox', 'cat');" "k = strfind(s, 'needle');" "s = printeach(x, 1000000);"
              "v = strsplit(sprintf('%g\n', x)(1:end-1), \"\n\");"
              "f = fopen('lines.txt'); v = fscanf(f, '%f'); fclose(f);")

for k in "${!labels[@]}"; do
  for ((i = 0; i < runs; i++)); do
    echo "t=time(); ${kalix_calls[$k]}; 1000*(time()-t)" >>"$work/bench.k"
    echo "tic; ${octave_calls[$k]} printf('%g\n', 1000*toc);" >>"$work/bench.m"
  done
done

report_times case 42 "${labels[@]}"
