"before"
comment
no end
