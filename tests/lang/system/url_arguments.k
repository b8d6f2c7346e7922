// Refused arguments of urlopen: the URL must be a string; nothing is
// opened. "f(,)" passes an empty argument, a name that cannot be resolved.
urlopen(1)
urlopen(1i)
urlopen(~1,2~)
urlopen([1, 2])
urlopen(["a", "b"])
urlopen(,)
urlopen()
urleof()
// inside a function
function openurl(url)
  return urlopen(url)
endfunction
openurl(3)
openurl(["http://a", "http://b"])
// sizes
urlopen(zeros(1, 10^6))
urlopen((1:10^6) + 1i)
