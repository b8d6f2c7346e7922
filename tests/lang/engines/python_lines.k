// Python lines, Python mode and Python blocks.
// setting askexec 0
py: : 1+2
py: 1+2
>> 2**10
py: x = 7
py: x * 6
// A line ending in "..." goes on in the next one.
py: def inc(a):...
  return a + 1
py: inc(41)
// A syntax error and a runtime error say so; the next command works.
py: 1+
py: 1/0
1+1
pythonmode
y = [i*i for i in range(5)]
y
for i in range(3):...
  print(i)
kalix 3*3
pythonmode
pythonmode on;
x + 1
pythonmode off
pythonmode
pythonmode
// A block: the lines up to endfunction run as one text.
function python
total = 0
for k in range(1, 11):
    total += k
print("sum", total)
endfunction
py: total
// Python output keeps its order with the interpreter's.
py: print("a"); print("b")
"c"
