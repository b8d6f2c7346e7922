// End of input quits like quit.
1+2
