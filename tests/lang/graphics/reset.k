// resetgraphics restores ranges, areas and styles; a failed statement
// restores only the styles
setplot([0,1,0,1]); window([0,0,500,500]); linestyle("--"); color(3);
resetgraphics
plot()
window()
linestyle("-")
color()
setplot([0,1,0,1]); linestyle("--"); color(3);
sqrt("x")
linestyle("-")
color()
plot()
