relax
"inner runs"
