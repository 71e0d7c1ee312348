; The cycles the video chip takes from the processor, measured with CIA 1's timer A
; counting every cycle: the timer is read before and after 80 cycles of NOPs that begin
; early in one raster line and end in the next (or, on the bad line, in the one after,
; which takes nothing), so the next line's start and its stolen cycles fall between the
; readings. Bad lines (YSCROLL 3: lines whose low three bits
; are 3) start at 131; line 133 is a normal one. Interrupts are off throughout.
;
; Results at $C000: the readings' difference across the start of bad line 131, across
; normal line 133, and across line 133 with sprites 0 and 1 shown there; $A5 at $02 once
; done.

.include "basic_header.inc"

results = $C000
start   = $FB

        sei
        lda #$7F
        sta $DC0D               ; CIA 1: no interrupt
        lda $DC0D
        lda #$FF
        sta $DC04
        sta $DC05
        lda #$11
        sta $DC0E               ; timer A: load $FFFF, count cycles, continuous
        ldx #130
        jsr measure
        sta results
        ldx #132
        jsr measure
        sta results+1
        lda #120
        sta $D001               ; sprites 0 and 1 on lines 121-141
        sta $D003
        lda #$03
        sta $D015
        ldx #132
        jsr measure
        sta results+2
        lda #0
        sta $D015
        lda #$A5
        sta $02
        cli
        rts

; Waits for line X to begin, then returns in A the timer's count across the NOPs.
measure:
:       cpx $D012               ; out of line X first, so that its start is seen
        beq :-
:       cpx $D012
        bne :-
        lda $DC04
        sta start
        .repeat 40
        nop
        .endrepeat
        lda $DC04
        eor #$FF                ; the timer counts down: start - stop
        sec
        adc start
        rts
