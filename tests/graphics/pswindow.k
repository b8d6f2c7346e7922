// pswindow sets the size of the EPS pictures in points; Ghostscript
// renders them at that size (run_eps_size.cmake).
pswindow([1,2,3])
pswindow("a")
pswindow([300;200])
pswindow([0,-5])
clg; plot(0:0.1:1,(0:0.1:1)^2);
pswindow([400.4,250]); saveps("wide.eps")
pswindow([150,300]); saveps("tall.eps")
pswindow([NAN,0]); saveps("least.eps")
