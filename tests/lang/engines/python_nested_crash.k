// A fault inside Python called from Kalix called from Python abandons the
// outer Python call as well: it is reported once.
// setting askexec 0
function python crash()
  import ctypes
  return ctypes.string_at(0)
endfunction
function inner() := py$crash()
function python outer()
  r = kalix.call("inner")
  print("never printed")
  return r
endfunction
py: import kalix
outer()
"Kalix goes on"
1+1
