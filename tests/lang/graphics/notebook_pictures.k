// runs in a temporary directory
// Pictures for the notebook. Without a notebook (the terminal) they are
// checked and read, not shown; the row counts are limited to 5..60.
x=linspace(0,1,20); plot(x,x^2);
insimg(25)
insimg(100,"",1,[0,1,0,1])
insimg(1,"caption")
insimg(25,"",0,[0.5,0.5,0,1])
insimg("a")
insimg(25,"",1,[0,1])
insimglines(5)
insimglines(500)
insimglines(none)
insimglines("x")
insrgb(1,"",[1,2;3,4])
insrgb(100,"",1)
insrgb(10,"","x")
savergb(zeros(16,16),"a"); savergb(zeros(16,16)+8421504,"b"); savergb(zeros(15,15),"c");
loadanaglyph(10,"a","b")
loadanaglyph(10,"c","c")
loadanaglyph(10,"a","c")
loadanaglyph(10,"a","nothere")
loadanaglyph("a","b","c")
loadimg("a",10,0)
loadimg("a.png",10,2)
loadimg("nothere",10,0)
loadimg(1,10,0)
texpng(1,1,1,0,0)
texpng("x",1,1,0)
