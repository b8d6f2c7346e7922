// Keywords inside strings and comments do not end a block.
if 0 then "endif else", else "ok", endif;
for i=1 to 2; "x end", i, end;
if 0 then ''endif'', endif; "quoted"
if 0 then "a"; // endif
x2end=5; if 0 then x2end, endif; "name"
