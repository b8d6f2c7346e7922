// A call that yields no value (args() without extra arguments) is refused
// as an operand.
function t1(...) := args()==1
t1()
function t2(...) := "a"<args()
t2()
function t3(...) := ~args(),1~
t3()
function t4(...) := 1<>args()
t4()
