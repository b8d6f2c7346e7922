function pf
  return "from the file"
endfunction
