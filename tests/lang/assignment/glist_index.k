glist("L"); glistadd("L",1);
glistget("L",4)
