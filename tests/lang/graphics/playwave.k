// playwave wants a file name; a file that is no sound fails before any
// device is asked.
playwave(5)
playwave(["a","b"])
playwave("no such sound.wav")
