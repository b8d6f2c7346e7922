// A Python thread cannot call back into Kalix: it gets a Python exception,
// and Kalix's own computation, running meanwhile, is not disturbed. What
// the thread prints comes out at the next call into Python.
// setting askexec 0
function python starter()
  import threading, kalix
  global refusals, worker, stop
  refusals = set()
  stop = False
  def work():
    k = 0
    while not stop:
      k += 1
      try:
        if k % 2: kalix.call("zeros", 20, 20)
        else: kalix.show(1)
      except kalix.error as e:
        refusals.add(str(e))
    print("the thread has ended")
  worker = threading.Thread(target=work)
  worker.start()
endfunction
starter();
for i=1 to 100000; A=ones(10,10); B=A.A'; end; sum(sum(B)')
for i=1 to 100000; A=ones(10,10); B=A.A'; end; sum(sum(B)')
for i=1 to 100000; A=ones(10,10); B=A.A'; end; sum(sum(B)')
py: stop = True; worker.join()
py: sorted(refusals)
py: import kalix; kalix.call("zeros", 1, 2)
