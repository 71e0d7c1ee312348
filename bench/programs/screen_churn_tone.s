; A steady tone (voice 1, triangle, 440 Hz, full sustain) under a screen that never rests:
; every byte of the video matrix is incremented about twice a frame, so that each picture
; differs from the last in nearly every character. The desktop sound benchmark plays it
; to see whether drawing whole pictures delays the frames that feed the sound card.
; Built with: cl65 -t c64 -C c64-asm.cfg -u __EXEHDR__
        .segment "CODE"
        lda #$0F
        sta $D418               ; volume 15, no filter
        lda #$00
        sta $D405               ; attack and decay 0
        lda #$F0
        sta $D406               ; sustain 15, release 0
        lda #$45
        sta $D400
        lda #$1D
        sta $D401               ; $1D45 * 985248 / 2^24 = 440.0 Hz
        lda #$11
        sta $D404               ; triangle, gate on
churn:  ldx #0
:       inc $0400,x
        inc $0500,x
        inc $0600,x
        inc $0700,x
        inx
        bne :-
        jmp churn
