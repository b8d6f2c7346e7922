// With "askexec" on (its default) and no terminal to ask, every command
// is refused; nothing runs.
exec("sh", ''-c "exit 3"'', "", 0, 1, 1)
exec("echo", "hello", "", 1, 0, 1)
// Without a child there is nothing to read or write.
r = execread(); r[1] == "", r[2]
execwrite("x")
execkill()
// Arguments of the wrong kind.
exec("sh", "", "", 0, 1)
exec(1, "", "", 0, 1, 1)
exec("sh", "", "", 0, "x", 1)
execwrite(1)
execwriteln([1, 2])
