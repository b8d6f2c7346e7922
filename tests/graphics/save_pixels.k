// PNG pictures and RGB images: probed pixels, round trips, failures.
clg; barstyle("#"); barcolor(4); bar([0,0,512,512]); savepng("t.png",1024,1024,0)
m=loadrgb("t.png");
[getred(m[100,100]),getgreen(m[100,100]),getblue(m[100,100])]*255
[m[512,512],m[513,513],m[514,514],m[1024,1024]]
// With smoothing a uniform picture stays uniform, borders included.
clg; barcolor(3); bar([0,0,1024,1024]); savepng("u",60,40,1)
u=loadrgb("u"); n=0; for i=1 to 40; for j=1 to 60; n=n+(u[i,j]<>u[1,1]); end; end; n
[getred(u[40,60]),getgreen(u[40,60]),getblue(u[40,60])]*255
// RGB matrices go out and come back row by row from the top; only the
// low 24 bits of each value count.
r=[putred(1),putgreen(1),putblue(1);0,putred(1)+putgreen(1)+putblue(1),12345678];
savergb(r,"rgb")
loadrgb("rgb")
// Sizes: at most 10000, below 10 from the graphics area (1024 x 1024).
savepng("wide",20000,300,0); w=loadrgb("wide"); [w[300,10000]==w[1,1],w[1,1]]
savepng("area",0,0,0); a=loadrgb("area"); [a[1024,1024]==a[1,1],a[1,1]]
clg; x=0:0.01:6; plot(x,sin(x)); savepng("plot.png",600,400,1)
// Failures: nothing returned, error 1.
savepng("/nonexistent/x.png",100,100,0)
savepng("full.png",100,100,0)
savergb(r,"/nonexistent/y")
savergb(r,"full.png")
loadrgb("missing")
loadrgb(1)
savergb("x","y")
savepng(1,2,3,4)
// While the anaglyph of pages 1 and 2 is shown it is the saved picture: a
// red page beside a white one gives red 5 * 255 / 12, green and blue 255.
clg; barstyle("#"); barcolor(putred(1)); bar([0,0,1024,1024]); addpage(); clg; addpage();
showpage(-1); savepng("anaglyph.png",20,20,0); a=loadrgb("anaglyph");
[getred(a[10,20]),getgreen(a[10,20]),getblue(a[10,20])]*255
clg; savepng("cleared.png",20,20,0); c=loadrgb("cleared"); [getred(c[1,1]),getgreen(c[1,1])]*255
deletepages()
