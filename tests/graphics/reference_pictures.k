// Reference pictures, each saved as PNG, SVG and EPS of 1024 x 1024 for
// format_agreement.py to compare. The picture name is given as `name`.
function saveall(name)
  savepng(name|".png",1024,1024,1); savesvg(name|".svg",1024,1024); saveps(name|".eps");
  return 0
endfunction
x=linspace(0,1,200);
// lines: every style at three widths
clg; setplot([0,1,-1,22]); styles=["-","--",".","-.","-.-",".-.","->"];
k=0; for w=[1,3,6]; for s=1 to 7; k=k+1; linestyle(styles[s]); linewidth(w); color(1+mod(k,4)); plot(x,k+0.4*sin(8*x)); end; end;
linestyle("-"); linewidth(1); color(1); saveall("lines");
// markers: every kind at two sizes
clg; setplot([0,19,0,3]); kinds=["x","o","<>",".","+","[]","*","..","|","-","o#","<>#","[]#","...","ow","<>w","[]w"];
for k=1 to 17; markerstyle(kinds[k]); markersize(6); mark(k,1); markersize(14); mark(k,2); end;
markerstyle("x"); markersize(6); saveall("markers");
// bars and hatches in colours
clg; bst=["#","O#","O","|","-","/","\","\/","+","t"];
for k=1 to 10; barstyle(bst[k]); barcolor(k+1); bar([40+(k-1)*96,200,80,300]); barcolor(putred(255)+putgreen(128)); bar([40+(k-1)*96,600,80,300]); end;
barstyle("#"); barcolor(1); saveall("bars");
// filled polygons
clg; setplot([0,10,0,10]); t=linspace(0,2*pi,7);
for k=1 to 9; barstyle(bst[k]); barcolor(k+2); polygon(1.6*mod(k-1,3)*2+2+1.2*cos(t),1.6*floor((k-1)/3)*2+2+1.2*sin(t),1); end;
barstyle("#"); saveall("polygons");
// texts: Latin-1, Greek, Cyrillic and signs, with blanks that must line up
clg; textcolor(1);
text("x=1     y=2",[100,100]); text("x=10    y=20",[100,160]);
text("Grüße à la française: ±½ £ ©",[100,260]);
text(utf("&alpha; &beta; &Omega; &infin; &le;"),[100,360]);
ctext("centred",[512,460]); rtext("right",[900,560]);
text("Grüße, naïve café, ß €",[100,660]); ctext("αβγ Δ Ω π ≤",[512,760]);
text("Привет, Łódź ∞ ≠ ∑",[100,860]);
saveall("texts");
// hue schemes -10 .. 12 and RGB colours as rows of density cells
clg; z=linspace(0,1,24)_linspace(0,1,24); sch=-10:12; hold on;
for k=1 to 23; window([40,20+(k-1)*40,760,50+(k-1)*40]); huecolor(sch[k]); density(z); end;
window([800,20,1000,1000]); barRGB(0.5+0*(1:4)'*(1:3),(1:4)'*(1:3)/12,(4:-1:1)'*(1:3)/12,-1);
hold off;
huecolor(1); window([0,0,1024,1024]); saveall("schemes");
// a shaded solid
view([5,3,2,0.5]); u=-1:0.1:1; sx=u; sy=u'; r=sqrt(sx^2+sy^2); sz=0.5*cos(4*r)*exp(-r);
s=(sz-totalmin(sz))/(totalmax(sz)-totalmin(sz));
clg; huecolor(-2); solid(sx,sy,sz,none,s); saveall("solid");
// a mesh with edges in a wire colour of its own (red), as are those of
// meshbar, solid and plotcubes
clg; wirecolor(putred(1)); mz=(u^2+u'^2); mesh(mz); saveall("mesh"); wirecolor(9);
// contour bands with level lines
clg; barstyle("#"); contourcolor(12); contour(sz,[-0.5;-0.1]);
hold on; contourcolor(14); contour(sz,[0.1;0.5]); contourcolor(1); contour(sz,-0.4:0.1:0.5); hold off;
saveall("contours");
// density reaching 1
clg; huecolor(3); density(s); saveall("density");
