#!/usr/bin/env bash
# Data library speed through `vistrel run`: a paged record file gets 10,000 records appended, a
# filtered selection, a sort by two fields and a find; a 5 MB XML file is parsed and queried. Each
# step is timed inside the script with `now` (millisecond resolution), so process start-up does not
# count. Usage: bench/data.sh [BUILD_DIR] (default build-bench, a Release build).
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [[ $# -gt 0 ]]; then VISTREL_BENCH="$1/vistrel"; else bench_build; fi
export QT_QPA_PLATFORM=offscreen
work="$BENCH_WORK/data"
rm -rf "$work" && mkdir -p "$work"

cat > "$work/paged.vek" <<EOF
ms= now cdbl 86400000 * ;
report= ms swap - round cstr " ms" + + say ms :t.set ;
"$work/bench.jpf" 256 "bencher" "password" &f.new
"$work/bench.jpf" "bencher" "password" &f.open
0 :i.set ms :t.set
repeat
  'name="n' :i.get cstr + '" age="' + 100 random cstr + '" city="c' + 50 random cstr + '"' + &f.append
  :i.1+ :i.get 10000 =
until
"append 10000 records: " :t.get report
">age.get 50 <" false &f.select
"select with a filter:  " :t.get report
"-#age,name" &f.orderby
"sort by two fields:    " :t.get report
">name.get 'n9876' =" 0 &f.find drop
"find one record:       " :t.get report
"" false &f.select
"select all records:    " :t.get report
&f.close
EOF

# About 5 MB of XML: 50,000 items with attributes and child values.
awk 'BEGIN {
  print "<?xml version=\"1.0\"?>"; print "<catalog>";
  for (i = 0; i < 50000; i++)
    printf "  <item id=\"%d\" kind=\"k%d\">\n    <name>Item number %d</name>\n    <price>%d</price>\n  </item>\n", i, i % 7, i, (i * 37) % 1000;
  print "</catalog>" }' > "$work/catalog.xml"
size=$(wc -c < "$work/catalog.xml")

cat > "$work/xml.vek" <<EOF
ms= now cdbl 86400000 * ;
report= ms swap - round cstr " ms" + + say ms :t.set ;
ms :t.set
"$work/catalog.xml" ?x.load
"parse $size bytes:      " :t.get report
"?xml/catalog/item[@id \$eq\$ '49999']" ?x.select drop
"select by attribute:   " :t.get report
"//item[price \$gt\$ 990]" ?x.select drop
0 :n.set ?x.selectfirst if repeat :n.1+ ?x.selectnext not until endif
"select //, numeric (" :n.get cstr + "): " + :t.get report
"?xml/catalog/item[end]/name" ?x.get drop
"path with [end]:       " :t.get report
?x.astext drop
"write as text:         " :t.get report
EOF

"$VISTREL_BENCH" run "$work/paged.vek"
"$VISTREL_BENCH" run "$work/xml.vek"
