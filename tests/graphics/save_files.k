// Saving the picture: the name comes back only when the file was written.
barRGB([0.9,1;1,0.9],[0.9,0.9;1,1],[1,0.9;0.9,1],-1);
hold on; setplot([0,1,0,1]); frame(); x=0:0.01:1; plot(x,x^2);
color(2); linestyle("--"); plot(x,1-x); color(1); linestyle("-");
markerstyle("o#"); mark([0.2,0.4,0.6],[0.5,0.5,0.5]);
barstyle("/"); barcolor(4); bar([600,600,200,200]);
barstyle("O#"); polygon([0.1,0.3,0.2],[0.8,0.8,0.95],1);
text("ä and a<b & c (x)",[100,100]); ctext("αβγ Δ Ω π ≤ Привет",[512,200]);
vtext("down",[50,500]); vutext("up",[980,500]);
saveps("picture")
saveps("picture.eps")
savesvg("picture.svg",400,300)
savesvg("small",0,0)
savesvg("packed.svgz",400,300)
saveps("/nonexistent/a.eps")
savesvg("/nonexistent/a.svg",100,100)
saveps("full.eps")
savesvg("full.svg",100,100)
saveps(1)
